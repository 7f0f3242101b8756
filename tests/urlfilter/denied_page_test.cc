#include "urlfilter/denied_page.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::Utf8;

struct PageCase {
  const char* name;
  const char16_t* page_template;
  const char16_t* address;
  const char16_t* word;
  const char16_t* page;
};

// clang-format off
const PageCase kPages[] = {
    {"no placeholders: the template as it is", u"about:blank", u"http://x/", u"w", u"about:blank"},
    {"both placeholders", u"<p>(DENIED_PAGE) by (DENIED_WORD)</p>", u"http://X/Casino", u"casino", u"<p>http://X/Casino by casino</p>"},
    {"the address twice", u"(DENIED_PAGE)|(DENIED_PAGE)", u"http://a/", u"", u"http://a/|http://a/"},
    {"placeholders are case-sensitive", u"(denied_page)(DENIED_PAGE", u"http://a/", u"w", u"(denied_page)(DENIED_PAGE"},
    {"the inserted address is scanned for the word", u"(DENIED_PAGE)", u"http://a/(DENIED_WORD)", u"w", u"http://a/w"},
    {"the word is not scanned for the address", u"(DENIED_WORD)", u"http://a/", u"(DENIED_PAGE)", u"(DENIED_PAGE)"},
    {"markup in the address is encoded", u"<a href='(DENIED_PAGE)'>(DENIED_PAGE)</a>", u"http://x/'><script>alert(\"1\")</script>", u"", u"<a href='http://x/%27%3E%3Cscript%3Ealert(%221%22)%3C/script%3E'>http://x/%27%3E%3Cscript%3Ealert(%221%22)%3C/script%3E</a>"},
    {"other characters stay as received", u"(DENIED_PAGE)", u"http://x/?a=1&b=%41 \u00e9", u"", u"http://x/?a=1&b=%41 \u00e9"},
    {"the word goes in as it stands", u"(DENIED_WORD)", u"http://x/", u"<b>", u"<b>"},
    {"an empty template gives an empty page", u"", u"http://x/", u"w", u""},
    {"adjacent placeholders", u"(DENIED_PAGE)(DENIED_WORD)(DENIED_PAGE)", u"a", u"b", u"aba"},
};
// clang-format on

TEST(DeniedPageTest, FillsThePlaceholdersInOrder) {
  for (const PageCase& c : kPages) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8(c.page), Utf8(BuildDeniedPage(c.page_template, c.address, c.word)));
  }
}

}  // namespace
}  // namespace zelk
