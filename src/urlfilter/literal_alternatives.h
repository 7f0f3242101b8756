// Patterns that are nothing but literal texts in alternatives, whose matches the check
// tells by looking for those texts rather than by running a program. Pure code.
#ifndef ZELK_URLFILTER_LITERAL_ALTERNATIVES_H_
#define ZELK_URLFILTER_LITERAL_ALTERNATIVES_H_

#include <cstddef>
#include <string>
#include <vector>

#include "urlfilter/pattern/parser.h"

namespace zelk {

// True when the pattern read into `reading` is nothing but literal texts in alternatives
// ("(ads)|(track)|(pixel)", "x(a|b)y"), unanchored and without "$": it then matches an
// address exactly when one of `texts` occurs in it, however many alternatives it has, and
// the check need not run its program. `texts` are folded, none empty. False for any other
// pattern, and for one of more than kMaxLiteralAlternatives texts.
inline constexpr size_t kMaxLiteralAlternatives = size_t{1} << 16;
bool LiteralAlternatives(const PatternReading& reading, std::vector<std::u16string>* texts);

}  // namespace zelk

#endif  // ZELK_URLFILTER_LITERAL_ALTERNATIVES_H_
