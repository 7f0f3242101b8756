#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "urlfilter/pattern/abbreviations.h"
#include "urlfilter/pattern/parser.h"

namespace zelk {
namespace {

using testing::Utf8;

struct StopCase {
  std::u16string pattern;
  PatternError error;
  size_t stop;
  // Passed-over spans as "reason begin end", in the order they were met.
  std::vector<std::string> ignored;
};

std::string Describe(const IgnoredText& ignored) {
  const char* reasons[] = {"bracket", "alternation", "negation", "nul"};
  return std::string(reasons[static_cast<int>(ignored.reason)]) + " " +
         std::to_string(ignored.begin) + " " + std::to_string(ignored.end);
}

// clang-format off
const StopCase kStops[] = {
    {u"abc", PatternError::kOk, 3, {}},
    {u"abc)def", PatternError::kOk, 3, {"bracket 3 7"}},
    {u"^a]b", PatternError::kOk, 2, {"bracket 2 4"}},
    {u"xa|", PatternError::kOk, 3, {"alternation 1 3"}},
    {u"xa|b|", PatternError::kOk, 5, {"alternation 1 5"}},
    {u"(a|)b", PatternError::kOk, 5, {"alternation 1 3"}},
    {u"ab!", PatternError::kOk, 3, {"negation 2 3"}},
    {u"a!)b", PatternError::kOk, 2, {"negation 1 2", "bracket 2 4"}},
    {u"x(a|)|", PatternError::kOk, 6, {"alternation 2 4", "alternation 1 6"}},
    {std::u16string(u"ab\0cd", 5), PatternError::kOk, 2, {"nul 2 5"}},
    // Errors stop where they were found: the offending character, or the end.
    {u"[z-a]", PatternError::kBadRange, 3, {}},
    {u"(ab]c)", PatternError::kMissingParen, 3, {}},
    {u"(ab", PatternError::kMissingParen, 3, {}},
    {u"{a)}", PatternError::kMissingBrace, 2, {}},
    {u"x(a*)*", PatternError::kEmptyRepeat, 5, {}},
    {u"{a}\\1", PatternError::kNoSuchGroup, 3, {}},
    {u"[]", PatternError::kEmptyClass, 1, {}},
    {u"[a-", PatternError::kMissingBracket, 3, {}},
    {u"[a-]", PatternError::kMissingBracket, 3, {}},
};
// clang-format on

TEST(ReadPatternTest, TellsWhereReadingStoppedAndWhatItPassedOver) {
  for (const StopCase& c : kStops) {
    SCOPED_TRACE(Utf8(c.pattern));
    PatternReading reading;
    ReadPattern(c.pattern, PatternAbbreviations, &reading);
    EXPECT_EQ(c.error, reading.error);
    EXPECT_EQ(c.stop, reading.stop);
    std::vector<std::string> ignored;
    for (const auto& item : reading.ignored) {
      ignored.push_back(Describe(item));
    }
    EXPECT_EQ(c.ignored, ignored);
  }
}

TEST(ReadPatternTest, TooDeepStopsAtTheBracketPastTheLimit) {
  const std::u16string pattern(kMaxPatternNesting + 1, u'(');
  PatternReading reading;
  ReadPattern(pattern, PatternAbbreviations, &reading);
  EXPECT_EQ(PatternError::kTooDeep, reading.error);
  EXPECT_EQ(kMaxPatternNesting, reading.stop);
}

TEST(ReadPatternTest, NodesCarryTheirSpanInThePattern) {
  PatternReading reading;
  ReadPattern(u"^A(bc)*\\d|x", PatternAbbreviations, &reading);
  ASSERT_EQ(PatternError::kOk, reading.error);
  EXPECT_TRUE(reading.anchored);
  const std::vector<PatternNode>& terms = reading.sequence.children;
  ASSERT_EQ(3u, terms.size());
  EXPECT_EQ(NodeKind::kChar, terms[0].kind);
  EXPECT_EQ(u'a', terms[0].value);  // folded
  EXPECT_EQ(1u, terms[0].begin);
  EXPECT_EQ(2u, terms[0].end);
  EXPECT_EQ(NodeKind::kRepeat, terms[1].kind);
  EXPECT_EQ(2u, terms[1].begin);
  EXPECT_EQ(7u, terms[1].end);
  EXPECT_EQ(6u, terms[1].children[0].end);  // the group without its quantifier
  const PatternNode& chain = terms[2];
  ASSERT_EQ(NodeKind::kAlternation, chain.kind);
  EXPECT_EQ(7u, chain.begin);
  EXPECT_EQ(11u, chain.end);
  // Every node an abbreviation stands for carries the span of "\d".
  const PatternNode& digit = chain.children[0];
  EXPECT_EQ(7u, digit.begin);
  EXPECT_EQ(9u, digit.end);
  EXPECT_EQ(7u, digit.children[0].children[0].begin);
  EXPECT_EQ(9u, digit.children[0].children[0].end);
}

}  // namespace
}  // namespace zelk
