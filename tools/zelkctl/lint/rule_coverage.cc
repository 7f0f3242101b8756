#include "tools/zelkctl/lint/rule_coverage.h"

#include <algorithm>
#include <cstdint>

namespace zelk::tools {
namespace {

// Programs longer than this are not remembered for the "same pattern" check, and literals
// longer than this are not searched for earlier ones: both bound the work per rule.
constexpr size_t kMaxRememberedProgram = 4096;
constexpr size_t kMaxSearchedLiteral = 256;

}  // namespace

std::string RuleCoverage::ProgramKey(const UrlPattern& pattern, bool unanchor) {
  std::string key;
  for (size_t i = 0; i < pattern.instructions().size(); ++i) {
    const PatternInstruction& instruction = pattern.instructions()[i];
    const Op op =
        unanchor && i == 1 && instruction.op() == Op::kReject ? Op::kNextStart : instruction.op();
    key.push_back(static_cast<char>(op));
    const uint32_t operand = instruction.operand();
    key.append(reinterpret_cast<const char*>(&operand), sizeof(operand));
  }
  return key;
}

void RuleCoverage::Consider(const std::unordered_map<std::u16string, size_t>& literals,
                            std::u16string_view text,
                            size_t* best) const {
  const auto found = literals.find(std::u16string(text));
  if (found != literals.end()) {
    *best = std::min(*best, found->second);
  }
}

bool RuleCoverage::FindCover(const PatternAnalysis& analysis,
                             size_t* line,
                             std::string* why) const {
  if (has_universal_) {
    *line = universal_line_;
    *why = " matches every address first";
    return true;
  }
  const UrlPattern& compiled = analysis.compiled;
  if (compiled.instructions().size() <= kMaxRememberedProgram) {
    for (bool unanchor : {false, true}) {
      const auto found = programs_.find(ProgramKey(compiled, unanchor));
      if (found != programs_.end()) {
        *line = found->second;
        *why = unanchor ? " holds the same pattern without the \"^\" and matches first"
                        : " holds the same pattern and matches first";
        return true;
      }
    }
  }
  const LiteralForm& literal = analysis.literal;
  if (!literal.is_literal || literal.text.size() > kMaxSearchedLiteral) {
    return false;
  }
  // An earlier literal matches wherever it stands inside this one, within its anchors.
  const std::u16string_view text = literal.text;
  size_t best = SIZE_MAX;
  for (size_t from = 0; from < text.size(); ++from) {
    for (size_t length = 1; from + length <= text.size(); ++length) {
      const std::u16string_view part = text.substr(from, length);
      Consider(literals_[kFree], part, &best);
      if (literal.at_start && from == 0) {
        Consider(literals_[kAtStart], part, &best);
      }
      if (literal.at_end && from + length == text.size()) {
        Consider(literals_[kAtEnd], part, &best);
        if (literal.at_start && from == 0) {
          Consider(literals_[kAtBoth], part, &best);
        }
      }
    }
  }
  if (best == SIZE_MAX) {
    return false;
  }
  *line = best;
  *why = " matches every address this rule matches, first";
  return true;
}

void RuleCoverage::Remember(const PatternAnalysis& analysis, size_t line) {
  if (analysis.matches_everything && !has_universal_) {
    has_universal_ = true;
    universal_line_ = line;
  }
  if (analysis.compiled.instructions().size() <= kMaxRememberedProgram) {
    programs_.emplace(ProgramKey(analysis.compiled, false), line);
  }
  const LiteralForm& literal = analysis.literal;
  if (literal.is_literal && literal.text.size() <= kMaxSearchedLiteral) {
    const int anchoring = (literal.at_start ? kAtStart : kFree) | (literal.at_end ? kAtEnd : 0);
    literals_[anchoring].emplace(literal.text, line);
  }
}

}  // namespace zelk::tools
