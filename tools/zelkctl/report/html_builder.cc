#include "tools/zelkctl/report/html_builder.h"

#include <cstddef>
#include <cstdint>

namespace zelk::tools {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

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

// The length of the valid UTF-8 sequence at `at` (its code point in `code`), or 0.
size_t Utf8SequenceAt(std::string_view text, size_t at, uint32_t* code) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const size_t length = SequenceLength(lead);
  if (length == 0 || at + length > text.size()) {
    return 0;
  }
  uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      return 0;
    }
    value = (value << 6) | (byte(at + i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
  const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < least[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
    return 0;
  }
  *code = value;
  return length;
}

bool IsShownAsReplacement(uint32_t code) {
  // Form feed is white space to HTML but not a character XML tools accept, so it goes too.
  const bool white_space = code == '\t' || code == '\n' || code == '\r';
  return (code < 0x20 && !white_space) || (code >= 0x7F && code <= 0x9F);
}

const char* EntityOf(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\'':
      return "&#39;";
    default:
      return nullptr;
  }
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    uint32_t code = 0;
    const size_t length = Utf8SequenceAt(text, at, &code);
    if (length == 0 || IsShownAsReplacement(code)) {
      out += kReplacement;
      at += length == 0 ? 1 : length;
      continue;
    }
    const char* entity = length == 1 ? EntityOf(text[at]) : nullptr;
    out += entity != nullptr ? std::string_view(entity) : text.substr(at, length);
    at += length;
  }
  return out;
}

HtmlBuilder& HtmlBuilder::Open(std::string_view tag, const HtmlAttributes& attributes) {
  html_ += '<';
  html_ += tag;
  for (const auto& [name, value] : attributes) {
    html_ += ' ' + name + "=\"" + EscapeHtml(value) + '"';
  }
  html_ += '>';
  return *this;
}

HtmlBuilder& HtmlBuilder::Close(std::string_view tag) {
  html_ += "</";
  html_ += tag;
  html_ += '>';
  return *this;
}

HtmlBuilder& HtmlBuilder::Text(std::string_view text) {
  html_ += EscapeHtml(text);
  return *this;
}

HtmlBuilder& HtmlBuilder::Element(std::string_view tag,
                                  const HtmlAttributes& attributes,
                                  std::string_view text) {
  return Open(tag, attributes).Text(text).Close(tag);
}

HtmlBuilder& HtmlBuilder::Markup(std::string_view markup) {
  html_ += markup;
  return *this;
}

}  // namespace zelk::tools
