// What each rule of a filter file costs over a set of addresses: the profile of
// `zelkctl lint --profile`. Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_LINT_RULE_PROFILE_H_
#define ZELK_TOOLS_ZELKCTL_LINT_RULE_PROFILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelk::tools {

struct RuleCost {
  size_t line = 0;     // from 1
  uint64_t steps = 0;  // matching steps spent on this rule over all addresses
  size_t reached = 0;  // addresses whose check reached the rule
  size_t decided = 0;  // addresses the rule decided
};

struct RuleProfile {
  std::vector<RuleCost> rules;  // pattern rules that were reached, costliest first
  size_t addresses = 0;
  uint64_t total_steps = 0;  // what the checks of all addresses spent
};

// Runs the check of every address over the lines, compiled once, and shares its steps out
// among the rules it tried, as the check counted them rule by rule: a rule the index
// passes over for an address is not reached by it.
RuleProfile ProfileRules(const std::vector<std::u16string>& lines,
                         const std::vector<std::u16string>& addresses);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_LINT_RULE_PROFILE_H_
