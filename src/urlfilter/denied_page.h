// The page the host shows in place of a refused address. Pure code.
#ifndef ZELK_URLFILTER_DENIED_PAGE_H_
#define ZELK_URLFILTER_DENIED_PAGE_H_

#include <string>
#include <string_view>

namespace zelk {

// The address as it goes into the page: < > " and ' percent-encoded (%3C %3E %22 %27),
// which is safe both in HTML text or attributes and in a URL-shaped template, and every
// other character as received. The address comes from web pages; the template is the
// administrator's.
std::u16string EscapeAddressForPage(std::u16string_view address);

// Fills the template: every "(DENIED_PAGE)" becomes the escaped address, then every
// "(DENIED_WORD)" in the result becomes the denied word as it stands. Each replacement
// scans left to right for exact, case-sensitive, non-overlapping occurrences.
std::u16string BuildDeniedPage(std::u16string_view page_template,
                               std::u16string_view address,
                               std::u16string_view denied_word);

}  // namespace zelk

#endif  // ZELK_URLFILTER_DENIED_PAGE_H_
