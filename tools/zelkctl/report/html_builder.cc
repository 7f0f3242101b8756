#include "tools/zelkctl/report/html_builder.h"

#include <cstddef>
#include <cstdint>

#include "tools/zelkctl/support/utf8.h"

namespace zelk::tools {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsShownAsReplacement(char32_t code) {
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
    char32_t code = 0;
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
