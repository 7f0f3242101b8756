// The decision on one address by the rules of the filter list. Pure code.
#ifndef ZELK_URLFILTER_URL_DECISION_H_
#define ZELK_URLFILTER_URL_DECISION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "urlfilter/pattern/compiler.h"

namespace zelk {

// The matching steps one address check may spend over all the rules it tries. A realistic
// filter of a few hundred rules against a long address uses well under a hundredth of it;
// a hostile address against a rule that backtracks exponentially is refused within a few
// tens of milliseconds instead of holding the browser's thread.
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
};

struct UrlCheckInput {
  bool checking_enabled = true;  // CheckURLAccess
  std::u16string_view filter_file_path;
  std::u16string_view address;                         // as received, any case
  const std::vector<std::u16string>* rules = nullptr;  // the filter list
  uint64_t step_budget = kUrlCheckStepBudget;
};

// Walks the rules from the top: comments are passed over, "all" rules set the default
// answer, and the first pattern rule that matches the address decides. A rule that does
// not compile, or a budget that runs out, refuses with an empty denied word.
UrlDecision DecideUrl(const UrlCheckInput& input);

// One filter line as the check reads it: up to its first NUL, trimmed of white space (9
// to 13, 32, 160), its
// first character the mark, the rest the rule text (not trimmed again).
struct FilterRule {
  char16_t mark = 0;  // 0 for a blank line
  std::u16string text;
};
FilterRule ParseFilterLine(std::u16string_view line);

// The name of a compile error as administrators see it ("MissingBracket").
const char* PatternErrorName(PatternError error);

}  // namespace zelk

#endif  // ZELK_URLFILTER_URL_DECISION_H_
