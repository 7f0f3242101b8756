// The abbreviations of the filter pattern language: "\" followed by a letter of this table
// stands for a stored expression. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_ABBREVIATIONS_H_
#define ZELK_URLFILTER_PATTERN_ABBREVIATIONS_H_

#include <cstddef>
#include <string_view>

namespace zelk {

struct PatternAbbreviation {
  char16_t letter;                 // the character after "\" (patterns are folded first)
  std::u16string_view expression;  // only its first quantified term is compiled, unfolded
};

// A table of abbreviations, searched in order; the compiler takes the first whose letter fits.
struct PatternAbbreviationTable {
  const PatternAbbreviation* entries;
  size_t size;
};

// The nine abbreviations of the language, in search order: \a letter or digit, \b blank,
// \c letter, \d digit, \h hexadecimal digit, \n line break, \q double-quoted string,
// \w letters, \z digits.
extern const PatternAbbreviationTable PatternAbbreviations;

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_ABBREVIATIONS_H_
