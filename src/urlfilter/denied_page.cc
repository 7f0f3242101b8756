#include "urlfilter/denied_page.h"

namespace zelk {
namespace {

constexpr std::u16string_view kPagePlaceholder = u"(DENIED_PAGE)";
constexpr std::u16string_view kWordPlaceholder = u"(DENIED_WORD)";

std::u16string ReplaceAll(std::u16string_view text,
                          std::u16string_view placeholder,
                          std::u16string_view replacement) {
  std::u16string result;
  size_t from = 0;
  for (size_t at = text.find(placeholder); at != std::u16string_view::npos;
       at = text.find(placeholder, from)) {
    result.append(text.substr(from, at - from));
    result.append(replacement);
    from = at + placeholder.size();
  }
  result.append(text.substr(from));
  return result;
}

}  // namespace

std::u16string EscapeAddressForPage(std::u16string_view address) {
  std::u16string escaped;
  escaped.reserve(address.size());
  for (char16_t c : address) {
    switch (c) {
      case u'<':
        escaped += u"%3C";
        break;
      case u'>':
        escaped += u"%3E";
        break;
      case u'"':
        escaped += u"%22";
        break;
      case u'\'':
        escaped += u"%27";
        break;
      default:
        escaped.push_back(c);
        break;
    }
  }
  return escaped;
}

std::u16string BuildDeniedPage(std::u16string_view page_template,
                               std::u16string_view address,
                               std::u16string_view denied_word) {
  const std::u16string with_address =
      ReplaceAll(page_template, kPagePlaceholder, EscapeAddressForPage(address));
  return ReplaceAll(with_address, kWordPlaceholder, denied_word);
}

}  // namespace zelk
