#include "common/text.h"

#include <cstdint>

namespace zelk {
namespace {

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendUtf8(uint32_t code_point, std::string* out) {
  if (code_point < 0x80) {
    out->push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

void AppendUtf16(uint32_t code_point, std::u16string* out) {
  if (code_point < 0x10000) {
    out->push_back(static_cast<char16_t>(code_point));
  } else {
    code_point -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
  }
}

// Decodes one UTF-8 sequence at `*i`; returns U+FFFD and moves one byte on when the bytes
// there are not a well-formed, shortest-form sequence of a scalar value.
uint32_t DecodeUtf8(std::string_view text, size_t* i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(*i);
  size_t length = lead < 0x80                    ? 1
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                                                 : 0;  // F5 to FF never lead
  if (length == 1) {
    ++*i;
    return lead;
  }
  if (length == 0 || *i + length > text.size()) {
    ++*i;
    return 0xFFFD;
  }
  uint32_t code_point = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    if ((byte(*i + k) & 0xC0) != 0x80) {
      ++*i;
      return 0xFFFD;
    }
    code_point = (code_point << 6) | (byte(*i + k) & 0x3F);
  }
  const uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code_point < kMinimum[length] || code_point > 0x10FFFF ||
      (code_point >= 0xD800 && code_point <= 0xDFFF)) {
    ++*i;
    return 0xFFFD;
  }
  *i += length;
  return code_point;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00), &out);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      out.push_back('?');
    } else {
      AppendUtf8(c, &out);
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    AppendUtf16(DecodeUtf8(text, &i), &out);
  }
  return out;
}

std::u16string UnknownErrorText(uint32_t code) {
  return u"Unknown error " + FromUtf8(std::to_string(code)) + u".\r\n";
}

}  // namespace zelk
