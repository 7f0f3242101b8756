// Reads a filter pattern once into a small tree, from which the compiler emits the program.
// Reading and emitting are kept apart so that no term is ever read twice: the program of a
// quantified or alternated term is emitted around the tree of that term. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_PARSER_H_
#define ZELK_URLFILTER_PATTERN_PARSER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "urlfilter/pattern/abbreviations.h"
#include "urlfilter/pattern/compiler.h"

namespace zelk {

enum class NodeKind : uint8_t {
  kChar,         // one character; value: its code, 0 for the end of input
  kAnyChar,      // "."
  kClass,        // "[...]"; members, negated
  kBackRef,      // "\<digits>"; value: the group number
  kGroup,        // "(...)"; one child, the body sequence
  kCapture,      // "{...}"; value: the group number; one child, the body sequence
  kNegation,     // "!" atom; one child, the atom
  kRepeat,       // atom and quantifier; one child, the atom
  kAlternation,  // term "|" term "|" ...; two or more children, tried left to right
  kSequence,     // terms one after another; any number of children
};

enum class Quantifier : uint8_t {
  kStar,          // "*"
  kPlus,          // "+"
  kOptional,      // "?"
  kLazyStar,      // "*?"
  kLazyPlus,      // "+?"
  kLazyOptional,  // "??"
};

// One class member: the characters from low to high, both included (equal for one character).
struct ClassMember {
  char16_t low;
  char16_t high;
};

struct PatternNode {
  NodeKind kind = NodeKind::kSequence;
  Quantifier quantifier = Quantifier::kStar;  // kRepeat only
  bool negated = false;                       // kClass only
  bool may_be_empty = false;                  // whether the construct may match the empty string
  uint32_t value = 0;
  // Where the construct stands in the pattern, as indices [begin, end); the nodes that an
  // abbreviation stands for all carry the span of its "\" and letter.
  size_t begin = 0;
  size_t end = 0;
  std::vector<ClassMember> members;
  std::vector<PatternNode> children;
};

// Text that the lenient reading of a pattern passes over without an error.
enum class IgnoredReason : uint8_t {
  kClosingBracket,       // a ")", "]" or "}" outside any group ends the pattern
  kDanglingAlternation,  // a chain of "|" with nothing after its last "|" is dropped whole
  kDanglingNegation,     // a "!" with no atom after it is dropped
  kNulCharacter,         // a 0 code unit ends the pattern
};

struct IgnoredText {
  IgnoredReason reason;
  size_t begin;  // indices into the pattern, [begin, end)
  size_t end;
};

// The emptied vectors of trees read before, whose room the next tree's nodes take, so that
// reading pattern after pattern into one PatternReading allocates little once warm.
struct PatternNodeRoom {
  std::vector<std::vector<PatternNode>> children;
  std::vector<std::vector<ClassMember>> members;
};

// A whole pattern as the compiler reads it, for the compiler and for tools that explain a
// pattern to its author.
struct PatternReading {
  bool anchored = false;  // it begins with "^", which the tree leaves out
  PatternNode sequence;   // the tree; partial after an error
  uint32_t group_count = 0;
  PatternError error = PatternError::kOk;
  // Where reading stopped, as an index into the pattern: after an error, the character at
  // which it was found (the pattern's length when the pattern ended too soon); otherwise
  // where the pattern's top sequence ended, which is its length unless text was ignored.
  size_t stop = 0;
  // Text passed over without an error, in the order it was met. Spans may nest: a dropped
  // alternation chain can hold a dropped "!".
  std::vector<IgnoredText> ignored;
  PatternNodeRoom room;  // working room of the reader, not part of what was read
};

// Reads `pattern` as CompilePattern does: up to its first 0 code unit, folded A-Z, a leading
// "^" taken as the anchor, then the sequence. Capture groups are numbered from 0. Reading
// stops where the grammar stops (a closing bracket outside any group, or the end); the rest
// is ignored. The error is the first met in reading order; nesting of groups and negations
// deeper than kMaxPatternNesting gives kTooDeep.
void ReadPattern(std::u16string_view pattern,
                 const PatternAbbreviationTable& abbreviations,
                 PatternReading* reading);

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_PARSER_H_
