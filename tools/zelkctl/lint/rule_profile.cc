#include "tools/zelkctl/lint/rule_profile.h"

#include <algorithm>

#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

UrlDecision Decide(const std::vector<std::u16string>& rules, const std::u16string& address) {
  UrlCheckInput input;
  input.filter_file_path = u"filter";
  input.address = address;
  input.rules = &rules;
  return DecideUrl(input);
}

bool NamesItsRule(DecisionReason reason) {
  return reason == DecisionReason::kRuleMatched || reason == DecisionReason::kCompileError ||
         reason == DecisionReason::kBudgetExhausted;
}

}  // namespace

RuleProfile ProfileRules(const std::vector<std::u16string>& lines,
                         const std::vector<std::u16string>& addresses) {
  RuleProfile profile;
  profile.addresses = addresses.size();
  std::vector<RuleCost> costs(lines.size());
  std::vector<std::u16string> one(1);
  for (const std::u16string& address : addresses) {
    const UrlDecision decision = Decide(lines, address);
    profile.total_steps += decision.steps;
    const bool named = NamesItsRule(decision.reason);
    const size_t last = named ? decision.line_index + 1 : lines.size();
    for (size_t i = 0; i < last; ++i) {
      one[0] = lines[i];
      const UrlDecision alone = Decide(one, address);
      const bool pattern_rule = alone.reason != DecisionReason::kDefaultRule || alone.steps != 0;
      if (!pattern_rule) {
        continue;  // a comment, a default rule or a blank line: nothing is matched
      }
      costs[i].line = i + 1;
      costs[i].steps += alone.steps;
      ++costs[i].reached;
      costs[i].decided += named && i == decision.line_index ? 1 : 0;
    }
  }
  for (const RuleCost& cost : costs) {
    if (cost.reached != 0) {
      profile.rules.push_back(cost);
    }
  }
  std::stable_sort(profile.rules.begin(), profile.rules.end(),
                   [](const RuleCost& a, const RuleCost& b) { return a.steps > b.steps; });
  return profile;
}

}  // namespace zelk::tools
