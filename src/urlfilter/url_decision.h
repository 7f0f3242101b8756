// The decision on one address by the rules of the filter list. Pure code.
#ifndef ZELK_URLFILTER_URL_DECISION_H_
#define ZELK_URLFILTER_URL_DECISION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk {

class CompiledFilterList;

// The matching steps one address check may spend over all the rules it tries. The matcher
// remembers where it failed, so a realistic filter of tens of thousands of rules against a
// long address uses a small part of it; a rule with a back-reference that backtracks
// exponentially on a hostile address is refused within a few tens of milliseconds instead
// of holding the browser's thread.
inline constexpr uint64_t kUrlCheckStepBudget = 5'000'000;

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

struct UrlCheckInput {
  bool checking_enabled = true;  // CheckURLAccess
  std::u16string_view filter_file_path;
  std::u16string_view address;                         // as received, any case
  const std::vector<std::u16string>* rules = nullptr;  // the filter list
  // The same list compiled when it was read; when missing (or not of `rules`), DecideUrl
  // compiles the list for this one check.
  const CompiledFilterList* compiled = nullptr;
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
// answer is that of WalkFilterRules.
UrlDecision DecideUrl(const UrlCheckInput& input);

// The reference: the same walk done plainly, compiling and matching every rule it reaches
// in turn. Kept to prove the indexed check right.
UrlDecision WalkFilterRules(const UrlCheckInput& input);

// The walk over a list compiled from input.rules, trying every pattern rule in turn without
// the index: the reference for the index alone.
UrlDecision WalkCompiledRules(const UrlCheckInput& input, const CompiledFilterList& list);

// The name of a compile error as administrators see it ("MissingBracket").
const char* PatternErrorName(PatternError error);

}  // namespace zelk

#endif  // ZELK_URLFILTER_URL_DECISION_H_
