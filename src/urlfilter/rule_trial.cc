#include "urlfilter/rule_trial.h"

#include <algorithm>

#include "common/text.h"

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

std::u16string_view MatchedText(std::u16string_view address, std::u16string* room) {
  address = address.substr(0, address.find(u'\0'));
  const auto capital =
      std::find_if(address.begin(), address.end(), [](char16_t c) { return c != FoldAscii(c); });
  if (capital == address.end()) {
    return address;
  }
  room->assign(address);
  for (auto c = room->begin() + (capital - address.begin()); c != room->end(); ++c) {
    *c = FoldAscii(*c);
  }
  return *room;
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
