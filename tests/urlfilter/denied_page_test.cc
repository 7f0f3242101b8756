#include "urlfilter/denied_page.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::Utf8;

struct PageCase {
  const char* name;
  const char16_t* page_template;
  std::u16string_view address;
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
    {"an ordinary address goes in as it stands", u"(DENIED_PAGE)", u"http://x.test/a/b?c=%41;d=(e)#f~\u00e9", u"", u"http://x.test/a/b?c=%41;d=(e)#f~\u00e9"},
    {"& becomes an entity, so a query string reads the same", u"<a href=\"(DENIED_PAGE)\">", u"http://x/?a=1&b=2", u"", u"<a href=\"http://x/?a=1&amp;b=2\">"},
    {"no entity can be spelled", u"(DENIED_PAGE)", u"javascript&colon;alert(1)", u"", u"javascript&amp;colon;alert(1)"},
    {"script string breakers", u"go('(DENIED_PAGE)')", u"x/\\x3c');alert(7);//", u"", u"go('x/%5Cx3c%27);alert(7);//')"},
    {"backtick", u"`(DENIED_PAGE)`", u"x/`+alert(1)+`", u"", u"`x/%60+alert(1)+%60`"},
    {"blanks and controls", u"(DENIED_PAGE)", u"a b\tc\nd\re\x01" u"f\x7F" u"g\x1F" u"h\u00A0i", u"", u"a%20b%09c%0Ad%0De%01f%7Fg%1Fh\u00A0i"},
    {"script line ends", u"(DENIED_PAGE)", u"a\u2028b\u2029c\u0085d", u"", u"a%E2%80%A8b%E2%80%A9c\u0085d"},
    {"a NUL in the address", u"[(DENIED_PAGE)]", std::u16string_view(u"a\0b", 3), u"", u"[a%00b]"},
    {"the word is encoded as the address is", u"(DENIED_WORD)", u"http://x/", u"<script", u"%3Cscript"},
    {"a placeholder formed across the inserted address", u"(DENIED_PAGE)WORD)", u"x(DENIED_", u"w", u"xw"},
    {"an empty template gives an empty page", u"", u"http://x/", u"w", u""},
    {"adjacent placeholders", u"(DENIED_PAGE)(DENIED_WORD)(DENIED_PAGE)", u"a", u"b", u"aba"},
    // Addresses that would run script where the template uses them as a link or a frame.
    {"javascript: is no working link", u"<a href=\"(DENIED_PAGE)\">", u"javascript:alert(1)", u"", u"<a href=\"javascript%3Aalert(1)\">"},
    {"in any case", u"(DENIED_PAGE)", u"JavaScript:parent.alert(1)", u"", u"JavaScript%3Aparent.alert(1)"},
    {"a line end after the colon", u"(DENIED_PAGE)", u"javascript:%0aalert(1)", u"", u"javascript%3A%0aalert(1)"},
    {"data:", u"(DENIED_PAGE)", u"data:text/html,<script>x()</script>", u"", u"data%3Atext/html,%3Cscript%3Ex()%3C/script%3E"},
    {"vbscript:", u"(DENIED_PAGE)", u"vbscript:msgbox(1)", u"", u"vbscript%3Amsgbox(1)"},
    {"scheme characters and digits", u"(DENIED_PAGE)", u"view-source+x.1:y", u"", u"view-source+x.1%3Ay"},
    {"only the colon that ends the scheme", u"(DENIED_PAGE)", u"javascript:a:b", u"", u"javascript%3Aa:b"},
    {"a colon at the start", u"(DENIED_PAGE)", u":x", u"", u"%3Ax"},
    {"web addresses stand as they are", u"(DENIED_PAGE)|(DENIED_PAGE)", u"HTTPS://x.test/a:b", u"", u"HTTPS://x.test/a:b|HTTPS://x.test/a:b"},
    {"ftp as well", u"(DENIED_PAGE)", u"ftp://x.test/a:b", u"", u"ftp://x.test/a:b"},
    {"a colon after a path is no scheme", u"(DENIED_PAGE)", u"/a:b", u"", u"/a:b"},
    {"nor one after a blank", u"(DENIED_PAGE)", u"java script:x", u"", u"java%20script:x"},
    {"${} never reaches a template literal", u"`(DENIED_PAGE)`", u"http://x.test/${alert(1)}", u"", u"`http://x.test/%24%7Balert(1)%7D`"},
    {"the word is guarded as the address is", u"<a href=(DENIED_WORD)>", u"x", u"javascript:x${1}", u"<a href=javascript%3Ax%24%7B1%7D>"},
    {"a word that spells the scheme", u"(DENIED_PAGE)", u"java(DENIED_WORD):alert(1)", u"script", u"javascript%3Aalert(1)"},
    {"a word that ends it", u"(DENIED_PAGE)", u"javascript(DENIED_WORD)", u":alert(1)", u"javascript%3Aalert(1)"},
    {"a word that holds its colon", u"(DENIED_PAGE)", u"java(DENIED_WORD)", u"script:alert(1)", u"javascript%3Aalert(1)"},
};
// clang-format on

// The placeholders are filled in order, and no address becomes a working script address;
// a page built with a limit is the start of the whole page, for every limit up to its
// length and beyond.
TEST(DeniedPageTest, FillsThePlaceholdersAndCutsAtTheLimit) {
  for (const PageCase& c : kPages) {
    SCOPED_TRACE(c.name);
    const std::u16string whole = BuildDeniedPage(c.page_template, c.address, c.word);
    EXPECT_EQ(Utf8(c.page), Utf8(whole));
    for (size_t limit = 0; limit <= whole.size() + 2; ++limit) {
      EXPECT_EQ(Utf8(whole.substr(0, limit)),
                Utf8(BuildDeniedPage(c.page_template, c.address, c.word, limit)));
    }
  }
}

// Many placeholders and a long address: only the limit is ever built.
TEST(DeniedPageTest, LongPagesAreBuiltOnlyToTheLimit) {
  std::u16string page_template;
  for (int i = 0; i < 157; ++i) {
    page_template += u"(DENIED_PAGE)(DENIED_WORD)";
  }
  const std::u16string address(size_t{1} << 20, u'a');
  const std::u16string page = BuildDeniedPage(page_template, address, u"w", 100);
  EXPECT_EQ(std::u16string(100, u'a'), page);
  EXPECT_LE(page.capacity(), size_t{4096});
}

// No character from the address that could end a context reaches the page unencoded.
TEST(DeniedPageTest, EncodedTextHoldsNoContextBreaker) {
  std::u16string every;
  for (char16_t c = 0; c < 0x100; ++c) {
    every.push_back(c);
  }
  every += u"\u2028\u2029";
  const std::u16string escaped = EscapeForPage(every);
  for (char16_t c : std::u16string_view(u"<>\"'\\` \t\n\r\x7F\u2028\u2029${}")) {
    EXPECT_EQ(std::u16string::npos, escaped.find(c)) << static_cast<int>(c);
  }
  for (size_t at = escaped.find(u'&'); at != std::u16string::npos;
       at = escaped.find(u'&', at + 1)) {
    EXPECT_EQ(u"&amp;", escaped.substr(at, 5));
  }
}

}  // namespace
}  // namespace zelk
