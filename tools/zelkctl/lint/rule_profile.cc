#include "tools/zelkctl/lint/rule_profile.h"

#include <algorithm>

#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

// The check of `address` over the list compiled once, noting each rule it tries; a list
// that could not be compiled (memory ran short) decides nothing and costs nothing.
UrlDecision Decide(const CompiledFilterList* list,
                   const std::u16string& address,
                   std::vector<RuleTrial>* trials) {
  if (list == nullptr) {
    return UrlDecision();
  }
  UrlCheckInput input;
  input.list = list;
  input.address = address;
  input.trials = trials;
  return DecideUrl(input);
}

bool NamesItsRule(DecisionReason reason) {
  return reason == DecisionReason::kRuleMatched || reason == DecisionReason::kCompileError ||
         reason == DecisionReason::kBudgetExhausted;
}

// Adds what one check spent on each rule it tried to the rules' costs (indexed by line).
void AddTrials(const UrlDecision& decision,
               const std::vector<RuleTrial>& trials,
               std::vector<RuleCost>* costs) {
  const bool named = NamesItsRule(decision.reason);
  for (const RuleTrial& trial : trials) {
    RuleCost& cost = (*costs)[trial.line_index];
    cost.line = trial.line_index + 1;
    cost.steps += trial.steps;
    ++cost.reached;
    cost.decided += named && trial.line_index == decision.line_index ? 1 : 0;
  }
}

}  // namespace

RuleProfile ProfileRules(const std::vector<std::u16string>& lines,
                         const std::vector<std::u16string>& addresses) {
  RuleProfile profile;
  profile.addresses = addresses.size();
  const CompiledFilterListPtr compiled = CompileFilterList(lines);
  std::vector<RuleCost> costs(lines.size());
  std::vector<RuleTrial> trials;
  for (const std::u16string& address : addresses) {
    trials.clear();
    const UrlDecision decision = Decide(compiled.get(), address, &trials);
    profile.total_steps += decision.steps;
    AddTrials(decision, trials, &costs);
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
