// The narrow code page on Linux: UTF-8.
#include "common/text.h"
#include "platform/emulation/utf8_prefix.h"
#include "platform/platform.h"

namespace zelk::platform {

std::string WideToAnsi(std::u16string_view text) {
  try {
    return ToUtf8(text);
  } catch (...) {
    return std::string();
  }
}

std::u16string AnsiToWide(std::string_view text) {
  try {
    return FromUtf8(text);
  } catch (...) {
    return std::u16string();
  }
}

size_t AnsiPrefixLength(std::string_view text, size_t max_bytes) {
  return Utf8PrefixLength(text, max_bytes);
}

}  // namespace zelk::platform
