// Characters that every match of a pattern consumes, read from its tree, so that a search
// can stop trying start positions past the last place one of them occurs. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_REQUIRED_CHARACTERS_H_
#define ZELK_URLFILTER_PATTERN_REQUIRED_CHARACTERS_H_

#include <array>

namespace zelk {

struct PatternNode;

// Up to four distinct characters, the unused places 0 (the end of input is never one).
using RequiredCharacters = std::array<char16_t, 4>;

// Characters that every match of `sequence` consumes at or after its start: those of the
// sequence's own characters, of groups and captures it holds and of "+" repeats, and
// never those of alternations, optional or starred repeats, negations or classes. When
// there are more than four, the last four in the pattern's order are kept: a pattern's end
// tends to be its rarest part, and a later character says more about where a match can
// still start.
RequiredCharacters FindRequiredCharacters(const PatternNode& sequence);

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_REQUIRED_CHARACTERS_H_
