// Which earlier rule of a filter file always decides before a later one: the
// "never decides" check of `zelkctl lint`. Pure code; the work per rule is bounded.
#ifndef ZELK_TOOLS_ZELKCTL_LINT_RULE_COVERAGE_H_
#define ZELK_TOOLS_ZELKCTL_LINT_RULE_COVERAGE_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tools/zelkctl/lint/line_hashes.h"
#include "tools/zelkctl/lint/pattern_analysis.h"

namespace zelk::tools {

// The pattern rules seen so far, remembered so that a later rule can be found to match
// only addresses that an earlier one already matches: an earlier pattern that matches
// every address, an earlier identical program (or the same one without "^"), or an
// earlier plain text that stands inside this one within its anchors.
//
// Programs are remembered by a hash of their instructions and the line, not by the
// instructions themselves (a list of a million rules would hold each program twice); a
// hash that matches is confirmed by analysing the earlier line again.
class RuleCoverage {
 public:
  // Analyses the pattern of an earlier line again, as it was analysed when remembered.
  using LineAnalyser = std::function<PatternAnalysis(size_t line)>;
  explicit RuleCoverage(LineAnalyser analyse_line) : analyse_line_(std::move(analyse_line)) {}

  // Sets `*cover` to the earliest line before `line` that covers its pattern, with the
  // reason in words, or returns false; then remembers the pattern. Lines must come in file
  // order.
  bool CoverThenRemember(const PatternAnalysis& analysis,
                         size_t line,
                         size_t* cover,
                         std::string* why) {
    return CoverThenRemember(analysis, analysis.program->instructions(), line, cover, why);
  }
  // The same for a pattern whose program is `program` (derived, not compiled, when the
  // analysis holds none).
  bool CoverThenRemember(const PatternAnalysis& analysis,
                         const std::vector<PatternInstruction>& program,
                         size_t line,
                         size_t* cover,
                         std::string* why);
  // The first line whose pattern matches every address, if any.
  bool has_universal() const { return has_universal_; }
  size_t universal_line() const { return universal_line_; }

 private:
  enum Anchoring { kFree, kAtStart, kAtEnd, kAtBoth };
  // A program's key, and whether an earlier line has that same key.
  struct ProgramLookup {
    std::string key;  // empty for a program too long to remember
    bool seen = false;
    size_t seen_line = 0;
  };
  static std::string ProgramKey(const std::vector<PatternInstruction>& program, bool anchored);
  bool FindCover(const PatternAnalysis& analysis,
                 const ProgramLookup& program,
                 size_t* line,
                 std::string* why) const;
  void Remember(const PatternAnalysis& analysis, const ProgramLookup& program, size_t line);
  bool FindSameProgram(const PatternAnalysis& analysis,
                       const ProgramLookup& program,
                       size_t* line,
                       std::string* why) const;
  // The earliest remembered line whose program has the key `key`, or false.
  bool FindProgram(const std::string& key, size_t* line) const;
  void Consider(const std::unordered_map<std::u16string, size_t>& literals,
                std::u16string_view text,
                size_t* best) const;

  bool has_universal_ = false;
  size_t universal_line_ = 0;
  LineAnalyser analyse_line_;
  LineHashes programs_;  // lines by the hash of their program's key
  std::unordered_map<std::u16string, size_t> literals_[4];
};

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_LINT_RULE_COVERAGE_H_
