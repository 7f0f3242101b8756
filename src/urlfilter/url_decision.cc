#include "urlfilter/url_decision.h"

#include "common/text.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_line.h"

namespace zelk {
namespace {

constexpr const char* kPatternErrorNames[] = {
    "Ok",           "OutOfMemory",    "MissingBrace",
    "MissingParen", "MissingBracket", "BadAbbreviation",
    "EmptyClass",   "NoSuchGroup",    "BadRange",
    "EmptyRepeat",  "NoPattern",      "TooDeep",
};

// Everything is allowed when no filter file is named or checking is off.
bool DecidedWithoutRules(const UrlCheckInput& input, UrlDecision* decision) {
  if (!input.filter_file_path.empty() && input.checking_enabled) {
    return false;
  }
  decision->allow = true;
  decision->reason =
      input.checking_enabled ? DecisionReason::kNoFilterFile : DecisionReason::kCheckingOff;
  return true;
}

// The text the matcher sees: the folded address up to its first 0, if any.
std::u16string_view MatchedText(const std::u16string& folded) {
  return std::u16string_view(folded).substr(0, folded.find(u'\0'));
}

void NoteTrial(const UrlCheckInput& input, size_t line, uint64_t steps) {
  if (input.trials != nullptr) {
    input.trials->push_back(RuleTrial{line, steps});
  }
}

// Tries one compiled rule; true when it decides the address (it matched, did not compile,
// or the budget ran out).
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

// The program of the list's rule `index`, built from its line the first time it is tried.
// A rule that does not compile gives its error; one whose program cannot be built now
// (memory ran short) gives kOutOfMemory, and refuses like it.
PatternError RuleProgram(const CompiledFilterList& list,
                         uint32_t index,
                         const std::vector<std::u16string>& lines,
                         const UrlPattern** program) {
  static const UrlPattern kNoProgram;
  *program = &kNoProgram;
  const CompiledRule& rule = list.rules()[index];
  if (rule.error != PatternError::kOk) {
    return rule.error;
  }
  const UrlPattern* built = rule.program != nullptr
                                ? rule.program.get()
                                : list.Program(index, ReadFilterLine(lines[rule.line]).folded);
  if (built == nullptr) {
    return PatternError::kOutOfMemory;
  }
  *program = built;
  return PatternError::kOk;
}

// A rule of literal alternatives one of whose texts the address holds: it matches.
void MatchedByLiteral(const UrlCheckInput& input, const CompiledRule& rule, UrlDecision* decision) {
  ++decision->rules_tried;
  NoteTrial(input, rule.line, 0);
  decision->line_index = rule.line;
  decision->allow = rule.allow;
  decision->reason = DecisionReason::kRuleMatched;
}

void GiveDefault(bool seen, bool allow, size_t line, UrlDecision* decision) {
  decision->default_rule_seen = seen;
  decision->default_line_index = line;
  decision->allow = seen && allow;
  decision->reason = DecisionReason::kDefaultRule;
}

// Tries the candidate rules of the address in file order, or every rule when `use_index`
// is false.
UrlDecision DecideCompiled(const UrlCheckInput& input,
                           const CompiledFilterList& list,
                           bool use_index) {
  UrlDecision decision;
  const std::u16string address = FoldAscii(input.address);
  if (!address.empty()) {
    const std::u16string_view text = MatchedText(address);
    std::vector<uint32_t> candidates;
    if (use_index) {
      std::vector<uint32_t> scratch;
      list.CandidateRules(text, &candidates, &scratch);
    } else {
      for (uint32_t i = 0; i < list.rules().size(); ++i) {
        candidates.push_back(i);
      }
    }
    MatchState state;
    for (const uint32_t index : candidates) {
      const CompiledRule& rule = list.rules()[index];
      if (use_index && !rule.HoldsLiteral(text)) {
        continue;
      }
      if (use_index && rule.literal_set) {
        MatchedByLiteral(input, rule, &decision);
        decision.denied_word = ReadFilterLine((*input.rules)[rule.line]).folded;
        return decision;
      }
      const UrlPattern* program = nullptr;
      const PatternError error = RuleProgram(list, index, *input.rules, &program);
      if (TryRule(input, rule.line, rule.allow, error, *program, text, &state, &decision)) {
        if (decision.reason == DecisionReason::kRuleMatched) {
          decision.denied_word = ReadFilterLine((*input.rules)[rule.line]).folded;
        }
        return decision;
      }
    }
  }
  GiveDefault(list.has_default_rule(), list.default_allow(), list.default_line(), &decision);
  return decision;
}

}  // namespace

const char* PatternErrorName(PatternError error) {
  const size_t index = static_cast<size_t>(error);
  return index < sizeof(kPatternErrorNames) / sizeof(kPatternErrorNames[0])
             ? kPatternErrorNames[index]
             : "Unknown";
}

UrlDecision DecideUrl(const UrlCheckInput& input) {
  UrlDecision decision;
  if (DecidedWithoutRules(input, &decision)) {
    return decision;
  }
  static const std::vector<std::u16string> kNoRules;
  UrlCheckInput checked = input;
  if (checked.rules == nullptr) {
    checked.rules = &kNoRules;
  }
  if (checked.compiled != nullptr && checked.compiled->line_count() == checked.rules->size()) {
    return DecideCompiled(checked, *checked.compiled, true);
  }
  const CompiledFilterListPtr compiled = CompileFilterList(*checked.rules);
  return compiled != nullptr ? DecideCompiled(checked, *compiled, true) : WalkFilterRules(checked);
}

UrlDecision WalkCompiledRules(const UrlCheckInput& input, const CompiledFilterList& list) {
  UrlDecision decision;
  if (DecidedWithoutRules(input, &decision) || input.rules == nullptr ||
      list.line_count() != input.rules->size()) {
    return decision;
  }
  return DecideCompiled(input, list, false);
}

UrlDecision WalkFilterRules(const UrlCheckInput& input) {
  UrlDecision decision;
  if (DecidedWithoutRules(input, &decision)) {
    return decision;
  }
  const std::u16string address = FoldAscii(input.address);
  const std::u16string_view text = MatchedText(address);
  // A snapshot: nothing the check does can change the list it walks.
  const std::vector<std::u16string> rules =
      input.rules != nullptr ? *input.rules : std::vector<std::u16string>();
  bool seen = false;
  bool default_allow = false;
  size_t default_line = 0;
  UrlPattern pattern;
  MatchState state;
  for (size_t i = 0; i < rules.size(); ++i) {
    FilterLine line = ReadFilterLine(rules[i]);
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
