#include "platform/emulation/utf8_prefix.h"

#include <cstdint>

namespace zelk::platform {

size_t Utf8SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(i);
  size_t length = 0;
  uint8_t second_low = 0x80;   // the second byte's range excludes overlong forms,
  uint8_t second_high = 0xBF;  // surrogates and code points past U+10FFFF
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    second_low = lead == 0xE0 ? 0xA0 : 0x80;
    second_high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    second_low = lead == 0xF0 ? 0x90 : 0x80;
    second_high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 1;
  }
  if (i + length > text.size() || byte(i + 1) < second_low || byte(i + 1) > second_high) {
    return 1;
  }
  for (size_t k = 2; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      return 1;
    }
  }
  return length;
}

// Only a lead byte at most three bytes before the cut can start a sequence that crosses
// it; continuation bytes are passed over on the way back to it.
size_t Utf8PrefixLength(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) {
    return text.size();
  }
  for (size_t back = 1; back <= 3 && back <= max_bytes; ++back) {
    const size_t start = max_bytes - back;
    if ((static_cast<uint8_t>(text[start]) & 0xC0) == 0x80) {
      continue;
    }
    return Utf8SequenceLength(text, start) > back ? start : max_bytes;
  }
  return max_bytes;
}

}  // namespace zelk::platform
