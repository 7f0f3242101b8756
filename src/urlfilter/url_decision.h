// The decision on one address by the rules of the filter list. Pure code.
#ifndef ZELK_URLFILTER_URL_DECISION_H_
#define ZELK_URLFILTER_URL_DECISION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk {

class CompiledFilterList;

// The matching steps one address check may spend over all the rules it tries: the bound on
// the time a check holds the browser's thread, about 50 ms at the 5 ns or so a step takes
// (twice that on a machine loaded with other work), however long the address and however
// many or large the rules. Within it the matcher holds a rule whose failures it cannot
// remember (a back-reference that may backtrack exponentially) to kUnrememberedStepLimit,
// and lets a search that remembers them take what its length needs: the hostile repeats
// take 6 to 45 steps a character, so such a rule is answered on an address of 200,000
// characters or more (1,500,000 for ".*/download/.*\.exe$"), and a realistic filter of
// tens of thousands of rules against a long address uses a small part of it.
inline constexpr uint64_t kUrlCheckStepBudget = 10'000'000;

// Why the decision came out as it did.
enum class DecisionReason {
  kNoFilterFile,     // no filter file is configured: everything is allowed
  kCheckingOff,      // CheckURLAccess is off: everything is allowed
  kRuleMatched,      // a pattern rule matched (line_index names it)
  kDefaultRule,      // no pattern matched; the default answer decided
  kCompileError,     // a rule did not compile (line_index, error): refused
  kBudgetExhausted,  // the matching budget ran out (line_index names the rule): refused
};

struct UrlDecision {
  bool allow = false;
  std::u16string denied_word;  // the deciding rule's text, lower-cased; empty otherwise
  DecisionReason reason = DecisionReason::kDefaultRule;
  size_t line_index = 0;  // the deciding rule, where the reason names one
  PatternError error = PatternError::kOk;
  bool default_rule_seen = false;  // kDefaultRule: the default came from an "all" rule...
  size_t default_line_index = 0;   // ...on this line (the last one counts)
  uint64_t steps = 0;              // matching steps spent
  size_t rules_tried = 0;          // pattern rules matched against the address
};

// One pattern rule a check tried, with the matching steps it spent on that rule.
struct RuleTrial {
  size_t line_index = 0;
  uint64_t steps = 0;
};

// What one check is asked: an address and the list that judges it.
struct UrlCheckInput {
  bool checking_enabled = true;  // CheckURLAccess
  // The filter list, compiled when it was read; null when no filter file is configured,
  // which allows every address.
  const CompiledFilterList* list = nullptr;
  std::u16string_view address;  // as received, any case
  uint64_t step_budget = kUrlCheckStepBudget;
  MatchMode match_mode = MatchMode::kRemembersFailures;
  // When set, each pattern rule the check tries is appended, in the order tried, with the
  // steps it cost: what the administrator's profile shares out. The library leaves it null.
  std::vector<RuleTrial>* trials = nullptr;
};

// The answer of walking the rules from the top: comments are passed over, "all" rules set
// the default answer, and the first pattern rule that matches the address decides. A rule
// that does not compile, or a budget that runs out, refuses with an empty denied word.
// Only the rules whose literal text the address contains are matched, in file order, so the
// answer is that of trying every rule in turn.
UrlDecision DecideUrl(const UrlCheckInput& input);

// The name of a compile error as administrators see it ("MissingBracket").
const char* PatternErrorName(PatternError error);

}  // namespace zelk

#endif  // ZELK_URLFILTER_URL_DECISION_H_
