#include "urlfilter/url_decision.h"

#include "common/text.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk {
namespace {

constexpr char16_t kCommentMark = u';';
constexpr char16_t kAllowMark = u'+';
constexpr std::u16string_view kDefaultRuleText = u"all";

bool IsFilterSpace(char16_t c) {
  return (c >= 9 && c <= 13) || c == 32 || c == 160;
}

constexpr const char* kPatternErrorNames[] = {
    "Ok",           "OutOfMemory",    "MissingBrace",
    "MissingParen", "MissingBracket", "BadAbbreviation",
    "EmptyClass",   "NoSuchGroup",    "BadRange",
    "EmptyRepeat",  "NoPattern",      "TooDeep",
};

}  // namespace

const char* PatternErrorName(PatternError error) {
  const size_t index = static_cast<size_t>(error);
  return index < sizeof(kPatternErrorNames) / sizeof(kPatternErrorNames[0])
             ? kPatternErrorNames[index]
             : "Unknown";
}

FilterRule ParseFilterLine(std::u16string_view line) {
  // A rule is zero-terminated text, as its pattern is: a NUL ends it for the mark, the
  // "all" test, the pattern and the denied word alike.
  line = line.substr(0, line.find(u'\0'));
  size_t begin = 0;
  size_t end = line.size();
  while (begin < end && IsFilterSpace(line[begin])) {
    ++begin;
  }
  while (end > begin && IsFilterSpace(line[end - 1])) {
    --end;
  }
  FilterRule rule;
  if (begin < end) {
    rule.mark = line[begin];
    rule.text = std::u16string(line.substr(begin + 1, end - begin - 1));
  }
  return rule;
}

UrlDecision DecideUrl(const UrlCheckInput& input) {
  UrlDecision decision;
  if (input.filter_file_path.empty() || !input.checking_enabled) {
    decision.allow = true;
    decision.reason =
        input.checking_enabled ? DecisionReason::kNoFilterFile : DecisionReason::kCheckingOff;
    return decision;
  }
  const std::u16string address = FoldAscii(input.address);
  // A snapshot: nothing the check does can change the list it walks.
  const std::vector<std::u16string> rules =
      input.rules != nullptr ? *input.rules : std::vector<std::u16string>();
  bool default_allow = false;
  UrlPattern pattern;
  MatchState state;
  for (size_t i = 0; i < rules.size(); ++i) {
    FilterRule rule = ParseFilterLine(rules[i]);
    if (rule.mark == 0 || rule.mark == kCommentMark) {
      continue;
    }
    rule.text = FoldAscii(rule.text);
    if (rule.text == kDefaultRuleText) {
      default_allow = rule.mark == kAllowMark;
      decision.default_rule_seen = true;
      decision.default_line_index = i;
      continue;
    }
    if (address.empty() || rule.text.empty()) {
      continue;
    }
    decision.line_index = i;
    decision.error = CompilePattern(rule.text, &pattern);
    if (decision.error != PatternError::kOk) {
      decision.allow = false;
      decision.reason = DecisionReason::kCompileError;
      return decision;
    }
    const uint64_t remaining = input.step_budget - decision.steps;
    const bool matched = MatchPattern(pattern, address, &state, remaining);
    decision.steps += state.steps();
    if (state.abandoned()) {
      decision.allow = false;
      decision.reason = DecisionReason::kBudgetExhausted;
      return decision;
    }
    if (matched) {
      decision.allow = rule.mark == kAllowMark;
      decision.denied_word = std::move(rule.text);
      decision.reason = DecisionReason::kRuleMatched;
      return decision;
    }
  }
  decision.allow = default_allow;
  decision.reason = DecisionReason::kDefaultRule;
  return decision;
}

}  // namespace zelk
