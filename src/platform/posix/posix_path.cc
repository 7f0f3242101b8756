#include "platform/posix/posix_path.h"

#include <cstdint>

#include "common/text.h"

namespace zelk::platform::posix {
namespace {

// Linux names may hold bytes that no Windows name can: a backslash, which the library
// would take for a separator, and bytes that are not UTF-8. Each is given a character of
// its own that turns back into the same byte, so a listed name names that entry and no
// other when it is joined to its folder: the backslash becomes U+F05C (a private-use
// character, as other Windows-on-Linux layers do), a stray byte B becomes the unpaired
// surrogate U+DC00 + B.
constexpr char16_t kBackslashInName = 0xF05C;
constexpr char16_t kStrayByteBase = 0xDC00;

bool IsStrayByteCharacter(std::u16string_view path, size_t i) {
  const char16_t c = path[i];
  const bool after_high = i > 0 && path[i - 1] >= 0xD800 && path[i - 1] <= 0xDBFF;
  return c >= kStrayByteBase + 0x80 && c <= kStrayByteBase + 0xFF && !after_high;
}

// The length of the well-formed, shortest-form UTF-8 sequence at `i`, or 0.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(i);
  const size_t length = lead < 0x80                    ? 1
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
  if (length == 0 || i + length > text.size()) {
    return 0;
  }
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      return 0;
    }
  }
  const uint8_t second = byte(i + 1 < text.size() ? i + 1 : i);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
    return 0;  // too long a form, a surrogate, or beyond U+10FFFF
  }
  return length;
}

}  // namespace

std::string ToNativePath(std::u16string_view path) {
  std::string native;
  size_t run = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    char byte = 0;
    if (path[i] == u'\\') {
      byte = '/';
    } else if (path[i] == kBackslashInName) {
      byte = '\\';
    } else if (IsStrayByteCharacter(path, i)) {
      byte = static_cast<char>(path[i] - kStrayByteBase);
    } else {
      continue;
    }
    native += ToUtf8(path.substr(run, i - run));
    native.push_back(byte);
    run = i + 1;
  }
  native += ToUtf8(path.substr(run));
  return native;
}

std::u16string FromNativePath(std::string_view path) {
  std::u16string text;
  size_t i = 0;
  while (i < path.size()) {
    const size_t length = Utf8SequenceLength(path, i);
    if (length == 0) {
      text.push_back(static_cast<char16_t>(kStrayByteBase + static_cast<uint8_t>(path[i])));
      ++i;
    } else if (path[i] == '/') {
      text.push_back(u'\\');
      ++i;
    } else if (path[i] == '\\') {
      text.push_back(kBackslashInName);
      ++i;
    } else {
      text += FromUtf8(path.substr(i, length));
      i += length;
    }
  }
  return text;
}

}  // namespace zelk::platform::posix
