#include "tools/zelkctl/rule_profile.h"

#include <algorithm>

#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

// The check of `address` by `list`; a list that could not be compiled (memory ran short)
// decides nothing and costs nothing.
UrlDecision Decide(const CompiledFilterList* list, const std::u16string& address) {
  if (list == nullptr) {
    return UrlDecision();
  }
  UrlCheckInput input;
  input.list = list;
  input.address = address;
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
  const CompiledFilterListPtr whole = CompileFilterList(lines);
  std::vector<CompiledFilterListPtr> alone(lines.size());  // each line as a list of its own
  for (const std::u16string& address : addresses) {
    const UrlDecision decision = Decide(whole.get(), address);
    profile.total_steps += decision.steps;
    const bool named = NamesItsRule(decision.reason);
    const size_t last = named ? decision.line_index + 1 : lines.size();
    for (size_t i = 0; i < last; ++i) {
      if (alone[i] == nullptr) {
        alone[i] = CompileFilterList({lines[i]});
      }
      const UrlDecision one = Decide(alone[i].get(), address);
      const bool pattern_rule = one.reason != DecisionReason::kDefaultRule || one.steps != 0;
      if (!pattern_rule) {
        continue;  // a comment, a default rule or a blank line: nothing is matched
      }
      costs[i].line = i + 1;
      costs[i].steps += one.steps;
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
