#include "urlfilter/rule_trial.h"

namespace zelk {

bool DecidedWithoutRules(const UrlCheckInput& input, UrlDecision* decision) {
  if (input.list != nullptr && input.checking_enabled) {
    return false;
  }
  decision->allow = true;
  decision->reason =
      input.checking_enabled ? DecisionReason::kNoFilterFile : DecisionReason::kCheckingOff;
  return true;
}

std::u16string_view MatchedText(const std::u16string& folded) {
  return std::u16string_view(folded).substr(0, folded.find(u'\0'));
}

void NoteTrial(const UrlCheckInput& input, size_t line, uint64_t steps) {
  if (input.trials != nullptr) {
    input.trials->push_back(RuleTrial{line, steps});
  }
}

bool TryRule(const UrlCheckInput& input,
             size_t line,
             bool allow,
             PatternError error,
             const UrlPattern& pattern,
             std::u16string_view text,
             MatchState* state,
             UrlDecision* decision) {
  decision->line_index = line;
  decision->error = error;
  ++decision->rules_tried;
  if (error != PatternError::kOk) {
    NoteTrial(input, line, 0);
    decision->allow = false;
    decision->reason = DecisionReason::kCompileError;
    return true;
  }
  const uint64_t remaining = input.step_budget - decision->steps;
  const bool matched = MatchFoldedInput(pattern, text, state, remaining, input.match_mode);
  decision->steps += state->steps();
  NoteTrial(input, line, state->steps());
  if (state->abandoned()) {
    decision->allow = false;
    decision->reason = DecisionReason::kBudgetExhausted;
    return true;
  }
  if (!matched) {
    return false;
  }
  decision->allow = allow;
  decision->reason = DecisionReason::kRuleMatched;
  return true;
}

void GiveDefault(bool seen, bool allow, size_t line, UrlDecision* decision) {
  decision->default_rule_seen = seen;
  decision->default_line_index = line;
  decision->allow = seen && allow;
  decision->reason = DecisionReason::kDefaultRule;
}

}  // namespace zelk
