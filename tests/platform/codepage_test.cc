// Conversions with the host's narrow code page, and cutting narrow text without splitting
// a character.
#include <string>

#include "gtest/gtest.h"
#include "platform/emulation/utf8_prefix.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

using testing::Utf8;

TEST(CodePageTest, AsciiRoundTrips) {
  const std::u16string text = u"Kiosk 1.4 - about:blank?a=b&c=%20";
  EXPECT_EQ("Kiosk 1.4 - about:blank?a=b&c=%20", WideToAnsi(text));
  EXPECT_EQ(text, AnsiToWide(WideToAnsi(text)));
  EXPECT_EQ("", WideToAnsi(u""));
  EXPECT_EQ(u"", AnsiToWide(""));
}

// Narrow texts in which every split point is tried: the two halves must decode to the
// whole, so no prefix ends inside a character, whatever the code page.
TEST(CodePageTest, PrefixNeverSplitsACharacter) {
  const std::string kTexts[] = {
      "plain ascii",
      WideToAnsi(u"caf\u00E9 cr\u00E8me"),
      WideToAnsi(u"\u4E2D\u6587 \U0001F600 \u20AC"),
      "\xC3",             // a lead byte alone
      "a\x80\x80\xBF z",  // continuation bytes without a lead
      "\xE2\x82",         // a sequence cut short
      "\xF0\x9F\x98\x80\xF0\x9F\x98\x80",
      "\xED\xA0\x80 \xC0\xAF \xF5\x80\x80\x80",  // surrogate, overlong, past U+10FFFF
  };
  for (const std::string& text : kTexts) {
    for (size_t max = 0; max <= text.size() + 1; ++max) {
      SCOPED_TRACE(::testing::Message() << "text \"" << text << "\" max " << max);
      const size_t length = AnsiPrefixLength(text, max);
      ASSERT_LE(length, std::min(max, text.size()));
      EXPECT_GE(length + 3, std::min(max, text.size()));
      EXPECT_EQ(AnsiToWide(text),
                AnsiToWide(text.substr(0, length)) + AnsiToWide(text.substr(length)));
    }
  }
}

#ifndef _WIN32
TEST(CodePageTest, LinuxCodePageIsUtf8) {
  const struct {
    const char16_t* wide;
    const char* narrow;
  } kCases[] = {
      {u"caf\u00E9", "caf\xC3\xA9"},
      {u"\u20AC\u4E2D", "\xE2\x82\xAC\xE4\xB8\xAD"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.narrow);
    EXPECT_EQ(c.narrow, WideToAnsi(c.wide));
    EXPECT_EQ(c.wide, AnsiToWide(c.narrow));
  }
}

TEST(CodePageTest, UnpairedSurrogatesAndBadBytesAreReplaced) {
  EXPECT_EQ("a?b?", WideToAnsi(u"a\xD800"
                               u"b\xDC00"));
  EXPECT_EQ("?\xF0\x9F\x98\x80", WideToAnsi(u"\xDC00\U0001F600"));
  EXPECT_EQ(u"a\uFFFD\uFFFDb", AnsiToWide("a\xC3\xFF"
                                          "b"));
  EXPECT_EQ(u"\uFFFD\uFFFD\uFFFD", AnsiToWide("\xED\xA0\x80"));
  EXPECT_EQ(u"\uFFFD\uFFFD\uFFFD\uFFFD", AnsiToWide("\xF5\x80\x80\x80"));
  EXPECT_EQ(u"\uFFFD\uFFFD", AnsiToWide("\xFF\xFE"));
}

TEST(CodePageTest, PrefixStopsBeforeACharacterThatDoesNotFit) {
  const struct {
    const char* text;
    size_t max;
    size_t length;
  } kCases[] = {
      {"ab\xC3\xA9", 3, 2},        {"ab\xC3\xA9", 4, 4},    {"\xE2\x82\xAC!", 1, 0},
      {"\xE2\x82\xAC!", 2, 0},     {"\xE2\x82\xAC!", 3, 3}, {"\xF0\x9F\x98\x80", 3, 0},
      {"a\xF0\x9F\x98\x80", 4, 1}, {"\xC3\xC3\xA9", 2, 1},  // the first lead byte stands alone
      {"\x80\x80\x80\x80", 2, 2},  {"abc", 0, 0},           {"abc", 100, 3},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.text << " max " << c.max);
    EXPECT_EQ(c.length, AnsiPrefixLength(c.text, c.max));
  }
}
#else
// Windows: characters outside the thread's ANSI code page become its default character.
TEST(CodePageTest, CharactersOutsideTheCodePageBecomeTheDefaultCharacter) {
  if (WideToAnsi(u"\u00E9").size() != 1) {
    GTEST_SKIP() << "the ANSI code page is not a single-byte Western one";
  }
  EXPECT_EQ(u"caf\u00E9", AnsiToWide(WideToAnsi(u"caf\u00E9")));
  EXPECT_EQ("a?b", WideToAnsi(u"a\u4E2Db"));
  EXPECT_EQ(5u, AnsiPrefixLength("\xE9\xE9\xE9\xE9\xE9\xE9", 5));
}
#endif

TEST(Utf8PrefixTest, SequenceLengthsFollowTheDecoder) {
  const struct {
    const char* bytes;
    size_t length;
  } kCases[] = {
      {"a", 1},
      {"\xC2\x80", 2},
      {"\xC1\xBF", 1},
      {"\xE0\xA0\x80", 3},
      {"\xE0\x9F\xBF", 1},
      {"\xED\x9F\xBF", 3},
      {"\xED\xA0\x80", 1},
      {"\xF4\x8F\xBF\xBF", 4},
      {"\xF4\x90\x80\x80", 1},
      {"\xF0\x9F\x98", 1},
      {"\x80", 1},
      {"\xFF", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(c.length, Utf8SequenceLength(c.bytes, 0));
  }
}

}  // namespace
}  // namespace zelk::platform
