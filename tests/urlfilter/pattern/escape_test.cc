#include "urlfilter/pattern/escape.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk {
namespace {

using testing::Utf8;

// Texts that have broken escapers: every operator, operators at the ends, a "\" before a
// letter or digit (an abbreviation, a back-reference), a final "$" or "\", a lone "^".
const std::u16string kTricky[] = {
    u"",
    u"\\.^$*+?()[]{}|!",
    u"^",
    u"$",
    u"\\",
    u"a\\",
    u"\\d\\1\\q\\t",
    u"^http://a.b/?q=(1)&r=[2]{3}$",
    u"a|b",
    u"!x",
    u"a**",
    u"[^]",
    u"x$y$",
    u"\t\r\n \u00e9\u2028\xd800\xdfff\xffff",
    u"MiXeD/CaSe",
};

// Every code unit the language reads specially, letters, digits and a few others.
const std::u16string kAlphabet = u"\\.^$*+?()[]{}|!-/:aBz09\t \u00e9\xd800\xffff";

// Texts of up to 12 characters drawn from kAlphabet by a fixed sequence, so every run
// tries the same texts.
std::vector<std::u16string> DrawnTexts(size_t count) {
  std::vector<std::u16string> texts;
  uint32_t seed = 12345;
  for (size_t i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    std::u16string text((seed >> 16) % 13, u' ');
    for (char16_t& c : text) {
      seed = seed * 1103515245u + 12345u;
      c = kAlphabet[(seed >> 16) % kAlphabet.size()];
    }
    texts.push_back(text);
  }
  return texts;
}

// The whole text, and nothing longer, shorter or different, matches the escape.
void ExpectRoundTrip(const std::u16string& text) {
  SCOPED_TRACE(Utf8(text));
  const std::u16string escaped = EscapeForPattern(text);
  UrlPattern found;
  ASSERT_EQ(PatternError::kOk, CompilePattern(escaped, &found)) << Utf8(escaped);
  MatchState state;
  ASSERT_TRUE(MatchPattern(found, text, &state)) << Utf8(escaped);
  EXPECT_EQ(0u, state.match_start());
  EXPECT_EQ(text.size(), state.match_end());
  UrlPattern whole;
  ASSERT_EQ(PatternError::kOk, CompilePattern(u"^" + escaped + u"$", &whole));
  EXPECT_TRUE(MatchPattern(whole, text, &state));
  EXPECT_FALSE(MatchPattern(whole, text + u"x", &state));
  if (!text.empty()) {
    EXPECT_FALSE(MatchPattern(whole, text.substr(0, text.size() - 1), &state));
    std::u16string changed = text;
    changed.back() = changed.back() == u'#' ? u'%' : u'#';
    EXPECT_FALSE(MatchPattern(whole, changed, &state));
  }
}

TEST(EscapeForPatternTest, TheEscapeOfAnyTextMatchesExactlyThatText) {
  for (const std::u16string& text : kTricky) {
    ExpectRoundTrip(text);
  }
  for (const std::u16string& text : DrawnTexts(2000)) {
    ExpectRoundTrip(text);
  }
}

// No pattern can name the code unit 0 and no address holds one: the escape of a text with
// one matches nothing, not the text around it.
TEST(EscapeForPatternTest, ANulCharacterMatchesNothing) {
  UrlPattern pattern;
  ASSERT_EQ(PatternError::kOk,
            CompilePattern(EscapeForPattern(std::u16string(u"a\0b", 3)), &pattern));
  MatchState state;
  for (const char16_t* address : {u"a", u"ab", u"a b", u"xaby"}) {
    EXPECT_FALSE(MatchPattern(pattern, address, &state)) << Utf8(address);
  }
}

}  // namespace
}  // namespace zelk
