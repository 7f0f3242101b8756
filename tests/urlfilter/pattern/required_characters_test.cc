#include "urlfilter/pattern/required_characters.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"
#include "urlfilter/pattern/compiler.h"

namespace zelk {
namespace {

using testing::Utf8;

struct RequiredCase {
  const char16_t* pattern;
  const char16_t* required;  // in the order kept
};

// Only characters on every path count; past four, the earliest give way.
const RequiredCase kRequired[] = {
    {u"abc", u"abc"},
    {u"AbA", u"ab"},  // folded, each once
    {u"[^/]*x[^/]*y[^/]*z", u"xyz"},
    {u".*/download/.*\\.exe$", u"/.ex"},
    {u"(a+)+b", u"ab"},
    {u"{x}(y){z}+?", u"xyz"},
    {u"a?b*c*?d??", u""},
    {u"(p|q)r", u"r"},
    {u"!ab", u"b"},
    {u"[a]\\w.", u""},
    {u"(ab|cd)", u"ad"},  // "|" binds single terms
};

TEST(RequiredCharactersTest, KeepsOnlyWhatEveryMatchConsumes) {
  for (const RequiredCase& c : kRequired) {
    UrlPattern pattern;
    ASSERT_EQ(PatternError::kOk, CompilePattern(c.pattern, &pattern)) << Utf8(c.pattern);
    std::u16string kept;
    for (const char16_t character : pattern.required_characters()) {
      if (character != 0) {
        kept += character;
      }
    }
    EXPECT_EQ(Utf8(c.required), Utf8(kept)) << Utf8(c.pattern);
  }
}

}  // namespace
}  // namespace zelk
