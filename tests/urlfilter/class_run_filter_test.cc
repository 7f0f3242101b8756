// The runs of character sets that rules with too short a literal text are looked up by:
// what run a pattern gives, and that a rule whose pattern matches an address is always
// found by its run there (the matcher is the oracle).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "urlfilter/class_run_filter.h"
#include "urlfilter/class_runs.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/pattern/matcher.h"
#include "urlfilter/pattern/parser.h"

namespace zelk {
namespace {

using testing::Repeat;
using testing::Utf8;

ClassRun RunOf(std::u16string_view pattern) {
  PatternReading reading;
  UrlPattern program;
  CompilePattern(pattern, &program, &reading);
  return RequiredClassRun(reading);
}

struct RunCase {
  const char16_t* pattern;
  size_t sets;  // 0: no run
  uint32_t strength;
};

// clang-format off
const RunCase kRuns[] = {
    {u"[/=]\\d\\d\\d", 4, 8},
    {u"^[a-z]+://\\d+\\.", 5, 12},   // a repeat's first and last characters join its neighbours
    {u"a!bc", 2, 6},                 // a negation consumes nothing
    {u"(ab)c", 3, 9},                // a group's body stands where the group does
    {u"ab*cd", 2, 6},                // a starred term may be absent: the run breaks
    {u"a(b|c)d", 1, 3},
    {u"x$", 1, 3},                   // the end of input is no character
    {u"[^/]x", 2, 3},                // a set of most characters counts for nothing
    {u"x*", 0, 0},
    {u"[z-a]", 0, 0},                // does not compile
};
// clang-format on

TEST(RequiredClassRunTest, ReadsTheSetsEveryMatchHoldsInARow) {
  for (const RunCase& c : kRuns) {
    SCOPED_TRACE(Utf8(c.pattern));
    const ClassRun run = RunOf(c.pattern);
    EXPECT_EQ(c.sets, run.sets.size());
    EXPECT_EQ(c.strength, run.strength);
  }
}

// Patterns of single characters, sets, repeats and groups, of which a generated address
// holds a match now and then.
std::u16string GeneratedPattern(std::mt19937* random) {
  const char16_t* const kTerms[] = {u"a",    u"/",     u"=",    u"\\d", u"[a-c]", u"[^/]",  u".",
                                    u"\\d+", u"[ab]+", u"(ab)", u"!b",  u"x*",    u"(a|b)", u"é"};
  std::u16string pattern = (*random)() % 4 == 0 ? u"^" : u"";
  for (int terms = 1 + static_cast<int>((*random)() % 6); terms > 0; --terms) {
    pattern += kTerms[(*random)() % (sizeof(kTerms) / sizeof(kTerms[0]))];
  }
  return pattern;
}

std::u16string GeneratedAddress(std::mt19937* random) {
  const char16_t kLetters[] = u"ab/=19xé\x80\xffff";
  std::u16string address;
  for (int i = 1 + static_cast<int>((*random)() % 20); i > 0; --i) {
    address += kLetters[(*random)() % (sizeof(kLetters) / sizeof(char16_t) - 1)];
  }
  return address;
}

TEST(ClassRunFilterTest, FindsEveryRuleWhosePatternMatches) {
  std::mt19937 random(11);
  size_t matched = 0;
  for (int list = 0; list < 30; ++list) {
    std::vector<UrlPattern> programs(40);
    ClassRunFilter filter;
    std::vector<bool> added;
    for (uint32_t rule = 0; rule < programs.size(); ++rule) {
      PatternReading reading;
      CompilePattern(GeneratedPattern(&random), &programs[rule], &reading);
      added.push_back(filter.Add(RequiredClassRun(reading), rule));
    }
    filter.Finish();
    for (int check = 0; check < 100; ++check) {
      const std::u16string address = GeneratedAddress(&random);
      std::vector<uint32_t> found;
      filter.FindRules(address, &found);
      for (uint32_t rule = 0; rule < programs.size(); ++rule) {
        MatchState state;
        if (added[rule] && MatchPattern(programs[rule], address, &state)) {
          ++matched;
          EXPECT_NE(found.end(), std::find(found.begin(), found.end(), rule))
              << "list " << list << " rule " << rule << " address " << Utf8(address);
        }
      }
      std::sort(found.begin(), found.end());
      EXPECT_EQ(found.end(), std::adjacent_find(found.begin(), found.end()));
    }
  }
  // Enough matches that a lost rule would show.
  EXPECT_GT(matched, 1000u);
}

// Rules that share a run share its bits: however many there are, each is added and found,
// once, where the run occurs, and only there.
TEST(ClassRunFilterTest, RulesOfOneRunShareIt) {
  const ClassRun digits = RunOf(u"[/=]\\d\\d\\d\\d\\d\\d[&/]");
  const ClassRun other = RunOf(u"=\\d\\d\\d\\d\\d\\d&");
  ClassRunFilter filter;
  constexpr uint32_t kRules = 3000;  // far more than the bits of all words would hold apart
  for (uint32_t rule = 0; rule < kRules; ++rule) {
    ASSERT_TRUE(filter.Add(rule % 3 == 0 ? other : digits, rule)) << rule;
  }
  filter.Finish();
  EXPECT_EQ(2u, filter.run_count());
  const struct {
    const char16_t* address;
    size_t found;
  } kCases[] = {{u"http://a/b/123456/c", 2000},
                {u"http://a/?q=123456&r=/654321/", kRules},
                {u"http://a/b/12345/c", 0}};
  for (const auto& c : kCases) {
    std::vector<uint32_t> found;
    filter.FindRules(c.address, &found);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(c.found, found.size()) << Utf8(c.address);
    EXPECT_EQ(found.end(), std::adjacent_find(found.begin(), found.end())) << Utf8(c.address);
  }
}

// Rules whose only literal is one character are candidates only where their run occurs,
// and never tried on every address.
TEST(ClassRunFilterTest, NarrowsRulesOfOneCharacterDown) {
  std::vector<std::u16string> lines;
  for (size_t digits = 6; digits < 16; ++digits) {
    lines.push_back(u"-[/=]" + Repeat(u"\\d", digits) + u"[&/]");
  }
  lines.push_back(u"-^[a-z]+://\\d+\\.\\d+\\.\\d+\\.\\d+[/:]");
  const CompiledFilterList compiled(lines);
  EXPECT_EQ(0u, compiled.always_tried_count());
  struct {
    const char16_t* address;
    size_t candidates;
  } const kCases[] = {
      {u"https://www.example.org/a/b?id=1234&x=2", 0},
      {u"https://www.example.org/a/999999/b", 1},
      {u"http://10.0.0.1/", 1},
  };
  for (const auto& c : kCases) {
    std::vector<uint32_t> candidates;
    std::vector<uint32_t> scratch;
    compiled.CandidateRules(c.address, &candidates, &scratch);
    EXPECT_EQ(c.candidates, candidates.size()) << Utf8(c.address);
  }
}

}  // namespace
}  // namespace zelk
