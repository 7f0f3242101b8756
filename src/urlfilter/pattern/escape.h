// Text written as a filter pattern that matches exactly that text. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_ESCAPE_H_
#define ZELK_URLFILTER_PATTERN_ESCAPE_H_

#include <string>
#include <string_view>

namespace zelk {

// The pattern that matches `text` literally, character for character (letters without
// regard to A-Z case, as every pattern does): each character that the pattern language
// reads as an operator ("\ . ^ $ * + ? ( ) [ ] { } | !") gets a "\" before it, so that
// "^" at the start, "$" at the end and a "\" before a letter or digit all stay plain.
// A code unit 0, which no pattern can name and no address holds, becomes a term that
// never matches, so the pattern never stands for more than the text.
std::u16string EscapeForPattern(std::u16string_view text);

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_ESCAPE_H_
