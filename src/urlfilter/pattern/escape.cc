#include "urlfilter/pattern/escape.h"

namespace zelk {
namespace {

constexpr std::u16string_view kOperators = u"\\.^$*+?()[]{}|!";

// Not any character, then one character: true nowhere, since no position both has a
// next character and lacks one.
constexpr std::u16string_view kNeverMatches = u"(!..)";

}  // namespace

std::u16string EscapeForPattern(std::u16string_view text) {
  std::u16string escaped;
  escaped.reserve(text.size() * 2);
  for (char16_t c : text) {
    if (c == 0) {
      escaped += kNeverMatches;
      continue;
    }
    if (kOperators.find(c) != std::u16string_view::npos) {
      escaped.push_back(u'\\');
    }
    escaped.push_back(c);
  }
  return escaped;
}

}  // namespace zelk
