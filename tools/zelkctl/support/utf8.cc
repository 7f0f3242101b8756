#include "tools/zelkctl/support/utf8.h"

namespace zelk::tools {
namespace {

// The length of a UTF-8 sequence that starts with `lead`, or 0 for a byte no sequence starts with.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) {
    return 1;
  }
  if (lead < 0xC2) {
    return 0;
  }
  if (lead < 0xE0) {
    return 2;
  }
  return lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
}

}  // namespace

size_t Utf8SequenceAt(std::string_view text, size_t at, char32_t* code) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const size_t length = SequenceLength(lead);
  if (length == 0 || length > text.size() - at) {
    return 0;
  }
  char32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      return 0;
    }
    value = (value << 6) | (byte(at + i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < least[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
    return 0;
  }
  *code = value;
  return length;
}

bool DecodeUtf8(std::string_view text, std::u32string* code_points) {
  code_points->clear();
  for (size_t i = 0; i < text.size();) {
    char32_t code = 0;
    const size_t length = Utf8SequenceAt(text, i, &code);
    if (length == 0) {
      return false;
    }
    code_points->push_back(code);
    i += length;
  }
  return true;
}

}  // namespace zelk::tools
