#include "tests/support/reference_walks.h"

#include "common/text.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_line.h"
#include "urlfilter/rule_trial.h"

namespace zelk {
namespace {

// The address folded whole and cut at its first 0, as the check reads it: worked out here
// on its own, so that the check's way of sparing the copy is compared, not shared.
std::u16string_view UpToFirstZero(const std::u16string& folded) {
  return std::u16string_view(folded).substr(0, folded.find(u'\0'));
}

}  // namespace

UrlDecision WalkCompiledRules(const UrlCheckInput& input) {
  UrlDecision decision;
  if (DecidedWithoutRules(input, &decision)) {
    return decision;
  }
  const CompiledFilterList& list = *input.list;
  const std::u16string address = FoldAscii(input.address);
  if (!address.empty()) {
    const std::u16string_view text = UpToFirstZero(address);
    MatchState state;
    for (uint32_t index = 0; index < list.rules().size(); ++index) {
      const CompiledRule& rule = list.rules()[index];
      const UrlPattern* program = nullptr;
      const PatternError error = list.ProgramFor(index, &program);
      if (TryRule(input, rule.line, rule.allow, error, *program, text, &state, &decision)) {
        if (decision.reason == DecisionReason::kRuleMatched) {
          decision.denied_word = list.RuleText(index);
        }
        return decision;
      }
    }
  }
  GiveDefault(list.has_default_rule(), list.default_allow(), list.default_line(), &decision);
  return decision;
}

UrlDecision WalkFilterRules(const UrlCheckInput& input, const std::vector<std::u16string>& lines) {
  UrlDecision decision;
  if (DecidedWithoutRules(input, &decision)) {
    return decision;
  }
  const std::u16string address = FoldAscii(input.address);
  const std::u16string_view text = UpToFirstZero(address);
  bool seen = false;
  bool default_allow = false;
  size_t default_line = 0;
  UrlPattern pattern;
  MatchState state;
  for (size_t i = 0; i < lines.size(); ++i) {
    FilterLine line = ReadFilterLine(lines[i]);
    if (line.kind == FilterLineKind::kDefaultRule) {
      seen = true;
      default_allow = line.allow;
      default_line = i;
      continue;
    }
    if (line.kind != FilterLineKind::kPatternRule || address.empty()) {
      continue;
    }
    const PatternError error = CompilePattern(line.folded, &pattern);
    if (TryRule(input, i, line.allow, error, pattern, text, &state, &decision)) {
      if (decision.reason == DecisionReason::kRuleMatched) {
        decision.denied_word = std::move(line.folded);
      }
      return decision;
    }
  }
  GiveDefault(seen, default_allow, default_line, &decision);
  return decision;
}

}  // namespace zelk
