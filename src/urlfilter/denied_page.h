// The page the host shows in place of a refused address. Pure code.
#ifndef ZELK_URLFILTER_DENIED_PAGE_H_
#define ZELK_URLFILTER_DENIED_PAGE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace zelk {

// Text from the address (or the rule that refused it) as it goes into the page. The
// characters that can end or change an HTML attribute, a script string, a template
// literal, a CSS string or an unquoted attribute are percent-encoded: < > " ' \ ` and
// every character from 0x00 to 0x20 and 0x7F (%3C %3E %22 %27 %5C %60 %00 ... %20 %7F),
// the script line ends U+2028 and U+2029 (%E2%80%A8, %E2%80%A9), and $ { } (%24 %7B %7D),
// so that no "${...}" reaches a template literal. "&" becomes "&amp;", so that an entity
// such as "&colon;" cannot be spelled while a query string still reads the same in an
// attribute. When the text starts with a scheme other than http, https or ftp (letters,
// digits, "+", "-", "." up to the first ":", in any case), that ":" becomes %3A: the text
// reads the same to a person, but a template that uses it as a link or a frame's source
// gets a harmless relative address instead of a working javascript:, data: or vbscript:
// one. Every other character stays as received, so an ordinary http or https address is
// filled in as it stands. The address comes from web pages; the template is the
// administrator's.
std::u16string EscapeForPage(std::u16string_view text);

// No limit on the page's length.
inline constexpr size_t kUnlimitedPage = static_cast<size_t>(-1);

// Fills the template: every "(DENIED_PAGE)" becomes the escaped address, then every
// "(DENIED_WORD)" in the result becomes the escaped denied word. Each replacement scans
// left to right for exact, case-sensitive, non-overlapping occurrences. The page is built
// only up to `max_length` characters: the result is the first `max_length` characters of
// the whole page, and no longer text is ever held.
std::u16string BuildDeniedPage(std::u16string_view page_template,
                               std::u16string_view address,
                               std::u16string_view denied_word,
                               size_t max_length = kUnlimitedPage);

}  // namespace zelk

#endif  // ZELK_URLFILTER_DENIED_PAGE_H_
