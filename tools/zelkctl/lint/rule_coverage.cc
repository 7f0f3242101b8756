#include "tools/zelkctl/lint/rule_coverage.h"

#include <algorithm>
#include <cstdint>

namespace zelk::tools {
namespace {

// Programs longer than this are not remembered for the "same pattern" check, and literals
// longer than this are not searched for earlier ones: both bound the work per rule.
constexpr size_t kMaxRememberedProgram = 4096;
constexpr size_t kMaxSearchedLiteral = 256;

// The lead of a program's key: whether the pattern is anchored.
constexpr char kAnchoredLead = 'A';
constexpr char kFreeLead = 'F';

}  // namespace

// Whether the pattern is anchored leads the key, as its reading says; in the program the
// two ways a failed start ends (try the next position, or fail the whole match) are written
// alike, so that a pattern and the same one with "^" differ in the lead only.
std::string RuleCoverage::ProgramKey(const std::vector<PatternInstruction>& program,
                                     bool anchored) {
  std::string key(1, anchored ? kAnchoredLead : kFreeLead);
  key.reserve(1 + program.size() * (1 + sizeof(uint32_t)));
  for (const PatternInstruction& instruction : program) {
    const Op op = instruction.op() == Op::kReject ? Op::kNextStart : instruction.op();
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

bool RuleCoverage::CoverThenRemember(const PatternAnalysis& analysis,
                                     const std::vector<PatternInstruction>& instructions,
                                     size_t line,
                                     size_t* cover,
                                     std::string* why) {
  ProgramLookup program;
  if (instructions.size() <= kMaxRememberedProgram) {
    program.key = ProgramKey(instructions, analysis.anchored);
    program.seen = FindProgram(program.key, &program.seen_line);
  }
  const bool covered = FindCover(analysis, program, cover, why);
  Remember(analysis, program, line);
  return covered;
}

bool RuleCoverage::FindCover(const PatternAnalysis& analysis,
                             const ProgramLookup& program,
                             size_t* line,
                             std::string* why) const {
  if (has_universal_) {
    *line = universal_line_;
    *why = " matches every address first";
    return true;
  }
  if (FindSameProgram(analysis, program, line, why)) {
    return true;
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

bool RuleCoverage::FindSameProgram(const PatternAnalysis& analysis,
                                   const ProgramLookup& program,
                                   size_t* line,
                                   std::string* why) const {
  if (program.key.empty()) {
    return false;
  }
  if (program.seen) {
    *line = program.seen_line;
    *why = " holds the same pattern and matches first";
    return true;
  }
  std::string unanchored = program.key;
  unanchored[0] = kFreeLead;
  if (analysis.anchored && FindProgram(unanchored, line)) {
    *why = " holds the same pattern without the \"^\" and matches first";
    return true;
  }
  return false;
}

bool RuleCoverage::FindProgram(const std::string& key, size_t* line) const {
  bool found = false;
  programs_.ForEach(std::hash<std::string>()(key), [&](size_t earlier_line) {
    if (found && earlier_line >= *line) {
      return;
    }
    const PatternAnalysis earlier = analyse_line_(earlier_line);
    if (ProgramKey(earlier.program->instructions(), earlier.anchored) == key) {
      *line = earlier_line;
      found = true;
    }
  });
  return found;
}

void RuleCoverage::Remember(const PatternAnalysis& analysis,
                            const ProgramLookup& program,
                            size_t line) {
  if (analysis.matches_everything && !has_universal_) {
    has_universal_ = true;
    universal_line_ = line;
  }
  if (!program.key.empty() && !program.seen) {
    programs_.Add(std::hash<std::string>()(program.key), line);
  }
  const LiteralForm& literal = analysis.literal;
  if (literal.is_literal && literal.text.size() <= kMaxSearchedLiteral) {
    const int anchoring = (literal.at_start ? kAtStart : kFree) | (literal.at_end ? kAtEnd : 0);
    literals_[anchoring].emplace(literal.text, line);
  }
}

}  // namespace zelk::tools
