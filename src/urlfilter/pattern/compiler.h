// The compiler of filter patterns: turns one rule's pattern into a program for the matcher.
// Pure code; it keeps no state between calls.
#ifndef ZELK_URLFILTER_PATTERN_COMPILER_H_
#define ZELK_URLFILTER_PATTERN_COMPILER_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "urlfilter/pattern/instruction.h"
#include "urlfilter/pattern/required_characters.h"

namespace zelk {

struct PatternAbbreviationTable;
struct PatternReading;

enum class PatternError : uint32_t {
  kOk = 0,
  kOutOfMemory = 1,      // memory ran short, or the program would exceed kMaxPatternInstructions
  kMissingBrace = 2,     // a capture group has no closing "}"
  kMissingParen = 3,     // a group has no closing ")"
  kMissingBracket = 4,   // a class has no closing "]", or a range no upper bound
  kBadAbbreviation = 5,  // an abbreviation's stored expression does not compile
  kEmptyClass = 6,       // "[]" or "[^]"
  kNoSuchGroup = 7,      // a back-reference names a group not opened yet
  kBadRange = 8,         // a class range whose upper bound is below its lower bound
  kEmptyRepeat = 9,      // "*", "+", "*?" or "+?" on something that may match the empty string
  kNoPattern = 10,       // no pattern was supplied
  kTooDeep = 11,         // groups and negations nest deeper than kMaxPatternNesting
};

// Groups ("(", "{") and negations ("!") may nest this deep; one level more is kTooDeep.
constexpr uint32_t kMaxPatternNesting = 256;

// The longest program the compiler builds. Each "+" holds two copies of its term, so nested
// "+" double the program at every level; this bound turns such a rule into kOutOfMemory
// instead of exhausting the process's memory.
constexpr uint32_t kMaxPatternInstructions = 1u << 20;

// A Jump of the program at which the matcher may remember that the search failed from a
// position. `guards` are the slots of the repeats whose body holds the Jump: what follows
// the Jump depends on where their iteration began only while that equals the position.
struct MemoPoint {
  uint32_t address;
  uint32_t guards_begin;  // [guards_begin, guards_end) in UrlPattern::memo_guards()
  uint32_t guards_end;
};

// One compiled pattern. Only CompilePattern fills it; the matcher only reads it.
class UrlPattern {
 public:
  // The program; an instruction's index is its address.
  const std::vector<PatternInstruction>& instructions() const { return instructions_; }
  // Capture groups the pattern opens, numbered from 0 in the order of their "{".
  uint32_t group_count() const { return group_count_; }
  // Scratch slots the program uses (repeats and negations take them).
  uint32_t slot_count() const { return slot_count_; }
  // False after every compilation: patterns and input are both folded (A-Z only).
  bool case_sensitive() const { return case_sensitive_; }
  // The result of the last compilation. When it is not kOk there is no program and the
  // matcher refuses to run it.
  PatternError last_error() const { return last_error_; }
  // True when the program holds a BackRef: what follows a position then depends on what
  // the groups captured, so the matcher cannot remember failures by position.
  bool has_back_references() const { return has_back_references_; }
  // Every Jump of the program, by address, with the slots that guard it.
  const std::vector<MemoPoint>& memo_points() const { return memo_points_; }
  const std::vector<uint32_t>& memo_guards() const { return memo_guards_; }
  // Characters every match consumes; no match starts after the last place one occurs.
  const RequiredCharacters& required_characters() const { return required_characters_; }

 private:
  friend class PatternCompiler;

  std::vector<PatternInstruction> instructions_;
  uint32_t group_count_ = 0;
  uint32_t slot_count_ = 0;
  PatternError last_error_ = PatternError::kOk;
  bool case_sensitive_ = false;
  bool has_back_references_ = false;
  RequiredCharacters required_characters_{};  // in the padding before the vectors
  std::vector<MemoPoint> memo_points_;
  std::vector<uint32_t> memo_guards_;
};

// Turns one filter pattern into a program for the matcher, replacing what `out` held. The
// pattern is folded to lower case first (A-Z only), so every compiled pattern matches
// without regard to A-Z case. The pattern ends at its first 0 code unit, if any. Returns
// kNoPattern, leaving `out` untouched, when `pattern` or `out` is null. After any other
// error there is no program, and the matcher refuses the pattern. Never throws.
PatternError CompilePattern(const char16_t* pattern, UrlPattern* out);
PatternError CompilePattern(std::u16string_view pattern, UrlPattern* out);

// As CompilePattern, and hands back the tree the program was emitted from (for the literal
// text every match must hold). `reading` may be null.
PatternError CompilePattern(std::u16string_view pattern, UrlPattern* out, PatternReading* reading);

// Working room for compiling patterns one after another, as a filter list does: each
// program is built here, in vectors whose room the next pattern reuses, and handed over in
// vectors of exactly its size.
class PatternWorkspace {
 private:
  friend class PatternCompiler;
  void Clear();

  std::vector<PatternInstruction> instructions_;
  std::vector<MemoPoint> memo_points_;
  std::vector<uint32_t> memo_guards_;
  // The slots of the repeats whose body is being emitted, outermost first.
  std::vector<uint32_t> open_repeats_;
};

// As CompilePattern with the tree handed back, building in `workspace` (which may be
// null). A `reading` passed again and again keeps some room between patterns too.
PatternError CompilePattern(std::u16string_view pattern,
                            UrlPattern* out,
                            PatternReading* reading,
                            PatternWorkspace* workspace);

// The error CompilePattern gives for `pattern`, without building its program: `reading`
// is read as CompilePattern reads it, and `workspace` is working room. For a filter list,
// which must know every rule's error when it is read but builds a program only when the
// rule is first tried.
PatternError CheckPattern(std::u16string_view pattern,
                          PatternReading* reading,
                          PatternWorkspace* workspace);

// As CompilePattern, with `abbreviations` in place of the language's own table, so tests can
// give a stored expression that does not compile.
PatternError CompilePatternForTesting(std::u16string_view pattern,
                                      const PatternAbbreviationTable& abbreviations,
                                      UrlPattern* out);

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_COMPILER_H_
