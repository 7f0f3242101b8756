// Small helpers for the library's UTF-16 text, shared by every subsystem. Pure code.
#ifndef ZELK_COMMON_TEXT_H_
#define ZELK_COMMON_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

// Folds A to Z to a to z and leaves every other code unit as it is. Filter rules, command
// names and truth words all compare this way, so letters outside ASCII never fold.
constexpr char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

inline std::u16string FoldAscii(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& c : folded) {
    c = FoldAscii(c);
  }
  return folded;
}

// True when both texts are equal after folding A to Z.
inline bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

// UTF-16 to UTF-8 and back, for the administrator tool, tests and the Linux backend.
// Unpaired surrogates become "?" in UTF-8; invalid UTF-8 becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// "Unknown error <code>.", CR LF: the text for a system error code that the system has no
// text for, wherever such a code is shown.
std::u16string UnknownErrorText(uint32_t code);

}  // namespace zelk

#endif  // ZELK_COMMON_TEXT_H_
