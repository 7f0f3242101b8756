// Where UTF-8 text may be cut: the narrow code page of the Linux backend, and of Windows
// hosts that run with UTF-8 as their ANSI code page. Pure code.
#ifndef ZELK_PLATFORM_EMULATION_UTF8_PREFIX_H_
#define ZELK_PLATFORM_EMULATION_UTF8_PREFIX_H_

#include <cstddef>
#include <string_view>

namespace zelk::platform {

// Length in bytes of the well-formed UTF-8 sequence that starts at `text[i]` (shortest
// form, no surrogates, at most U+10FFFF), or 1 when none starts there: such a byte is a
// character of its own, as the decoder turns it into one U+FFFD.
size_t Utf8SequenceLength(std::string_view text, size_t i);

// Length of the longest prefix of `text` of at most `max_bytes` bytes that does not end
// inside a well-formed sequence.
size_t Utf8PrefixLength(std::string_view text, size_t max_bytes);

}  // namespace zelk::platform

#endif  // ZELK_PLATFORM_EMULATION_UTF8_PREFIX_H_
