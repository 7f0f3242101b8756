// Reads a filter pattern once into a small tree, from which the compiler emits the program.
// Reading and emitting are kept apart so that no term is ever read twice: the program of a
// quantified or alternated term is emitted around the tree of that term. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_PARSER_H_
#define ZELK_URLFILTER_PATTERN_PARSER_H_

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
  std::vector<ClassMember> members;
  std::vector<PatternNode> children;
};

// Reads the sequence at the start of `text` into `sequence`. Capture groups are numbered
// from *group_count on, and *group_count is left at the number of groups opened so far.
// Reading stops where the grammar stops (a closing bracket outside any group, or the end);
// the rest of the text is ignored. Returns kOk or the first error met in reading order.
// Nesting of groups and negations deeper than kMaxPatternNesting gives kTooDeep.
PatternError ParsePattern(std::u16string_view text,
                          const PatternAbbreviationTable& abbreviations,
                          PatternNode* sequence,
                          uint32_t* group_count);

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_PARSER_H_
