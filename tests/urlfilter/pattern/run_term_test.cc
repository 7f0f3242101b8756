#include "urlfilter/pattern/run_term.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "urlfilter/pattern/abbreviations.h"

namespace zelk {
namespace {

using testing::Utf8;

struct RunCase {
  const char16_t* term;  // one term, read as a whole pattern
  const char* set;       // its characters as "low-high" ranges, or "none" when no run term
};

// Each shape the scan takes, beside the near miss that must keep its loop.
const RunCase kRuns[] = {
    {u"a", "61-61"},
    {u".", "1-ffff"},
    {u"[c-ea-b]", "61-65"},
    {u"[^/]", "1-2e 30-ffff"},
    {u"[^\x01-\xff]", "100-ffff"},
    {u"(a+)", "61-61"},
    {u"(a+?)", "61-61"},
    {u"((a+)+)", "61-61"},
    {u"(a|b+|[0-9])", "30-39 61-62"},
    {u"([^/]|/)", "1-ffff"},
    {u"\\w", "41-5a 61-7a"},
    {u"((a)|(aa))", "61-61"},  // longer alternatives of characters matched alone
    {u"((ab)|b|a)", "61-62"},
    {u"(a|b|(a[ab])+)", "61-62"},
    {u"{a+}", "none"},     // a capture is observable
    {u"({a}|b)", "none"},  // so is one inside
    {u"(ab)", "none"},     // two characters per iteration
    {u"(a|ab)", "none"},
    {u"(a+b)", "none"},
    {u"(a|(ab))", "none"},  // "b" is never matched alone
    {u"(a|aa)", "none"},    // "(a|a)a": two characters per iteration
    {u"(a|(a?a))", "none"},
    {u"(a?)", "none"},   // may match nothing
    {u"(!a.)", "none"},  // a negation reads ahead
};

std::string Describe(const std::vector<ClassMember>& set) {
  std::string text;
  for (const ClassMember& range : set) {
    char part[24];
    std::snprintf(part, sizeof(part), "%s%x-%x", text.empty() ? "" : " ", range.low, range.high);
    text += part;
  }
  return text;
}

TEST(RunTermTest, TakesOnlyTermsThatMatchRunsOfOneSet) {
  for (const RunCase& c : kRuns) {
    SCOPED_TRACE(Utf8(c.term));
    PatternReading reading;
    ReadPattern(c.term, PatternAbbreviations, &reading);
    ASSERT_FALSE(reading.sequence.children.empty());
    std::vector<ClassMember> set = {{u'z', u'z'}};
    const bool run = RunTermCharacters(reading.sequence.children[0], &set);
    EXPECT_EQ(c.set, run ? Describe(set) : "none");
    EXPECT_TRUE(run || set.empty());
  }
}

}  // namespace
}  // namespace zelk
