#include "urlfilter/url_decision.h"

#include <vector>

#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/rule_trial.h"

namespace zelk {
namespace {

constexpr size_t kUsualHits = 32;
// The check's room, grown by an address longer than this many characters (far past any a
// kiosk loads), is given back at the next check rather than held for the list's life.
constexpr size_t kKeptAddressRoom = size_t{1} << 20;

constexpr const char* kPatternErrorNames[] = {
    "Ok",           "OutOfMemory",    "MissingBrace",
    "MissingParen", "MissingBracket", "BadAbbreviation",
    "EmptyClass",   "NoSuchGroup",    "BadRange",
    "EmptyRepeat",  "NoPattern",      "TooDeep",
};

// A rule of literal alternatives one of whose texts the address holds: it matches.
void MatchedByLiteral(const UrlCheckInput& input, const CompiledRule& rule, UrlDecision* decision) {
  ++decision->rules_tried;
  NoteTrial(input, rule.line, 0);
  decision->line_index = rule.line;
  decision->allow = rule.allow;
  decision->reason = DecisionReason::kRuleMatched;
}

// Tries rules()[index] of `list`, when the address holds its literal text; true when it
// decides the address.
bool TryCandidate(const UrlCheckInput& input,
                  uint32_t index,
                  std::u16string_view text,
                  MatchState* state,
                  UrlDecision* decision) {
  const CompiledFilterList& list = *input.list;
  const CompiledRule& rule = list.rules()[index];
  if (!list.HoldsLiteral(index, text)) {
    return false;
  }
  if (rule.literal_set) {
    MatchedByLiteral(input, rule, decision);
  } else {
    const UrlPattern* program = nullptr;
    const PatternError error = list.ProgramFor(index, &program);
    if (!TryRule(input, rule.line, rule.allow, error, *program, text, state, decision)) {
      return false;
    }
  }
  if (decision->reason == DecisionReason::kRuleMatched) {
    decision->denied_word = list.RuleText(index);
  }
  return true;
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
  const CompiledFilterList& list = *input.list;
  CheckRoom& room = list.check_room();
  if (room.folded_address.capacity() > kKeptAddressRoom) {
    room = CheckRoom();
  }
  if (!input.address.empty()) {
    const std::u16string_view text = MatchedText(input.address, &room.folded_address);
    // Room for the usual few hits up front spares growing the vectors one step at a time.
    room.scratch.reserve(kUsualHits);
    list.CandidateRules(text, &room.candidates, &room.scratch);
    for (const uint32_t index : room.candidates) {
      if (TryCandidate(input, index, text, &room.state, &decision)) {
        return decision;
      }
    }
  }
  GiveDefault(list.has_default_rule(), list.default_allow(), list.default_line(), &decision);
  return decision;
}

}  // namespace zelk
