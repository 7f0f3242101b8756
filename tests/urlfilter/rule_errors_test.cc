// A list learns every rule's error without building its program: the error must be the one
// the compiler gives, whatever was read before it into the same working room.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/pattern_tree.h"
#include "tests/support/test_support.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/pattern/abbreviations.h"
#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/parser.h"

namespace zelk {
namespace {

using testing::DumpTree;
using testing::Repeat;
using testing::Utf8;

// The patterns at the program's bound; compiled once, against the check, they say all
// they can.
constexpr size_t kHugePattern = 100000;

// A class of n members compiles to 1 + 2n instructions, around which the program adds 3:
// this pattern's program is exactly as long as the bound allows.
std::u16string AtTheBound() {
  return u"[" + Repeat(u"a", (kMaxPatternInstructions - 4) / 2) + u"]";
}

// Every error, upper case, abbreviations, lenient stops, a NUL, an imported host rule, and
// programs just inside and just past their bound.
std::vector<std::u16string> Corpus() {
  std::vector<std::u16string> corpus = {
      u"^https?://([^/?#\\\\]*@)?([a-z0-9_\\-]+\\.)*Example\\.COM\\.?(:[0-9]+)?![^/?#]",
      u"abc",
      u"^A(bc)*\\d|x",
      u"[z-a]",
      u"(ab]c)",
      u"(ab",
      u"{a)}",
      u"x(a*)*",
      u"{a}\\1",
      u"{a}\\12",
      u"[]",
      u"[^]",
      u"[a-",
      u"\\w+\\.\\z?\\n\\q",
      u"a!)b|",
      u"x(a|)|",
      u"(a|b|c)+?d??",
      std::u16string(u"ab\0(", 4),
      Repeat(u"([a-c]x)|", 3000) + u"y",  // more vectors than the reader keeps spare
      Repeat(u"(", kMaxPatternNesting) + u"a" + Repeat(u")", kMaxPatternNesting),
      Repeat(u"(", kMaxPatternNesting + 1) + u"a" + Repeat(u")", kMaxPatternNesting + 1),
      Repeat(u"(", 12) + u"a" + Repeat(u")+", 12),
      Repeat(u"(", 21) + u"a" + Repeat(u")+", 21),
      AtTheBound(),
      AtTheBound() + u"a",
  };
  return corpus;
}

TEST(RuleErrorsTest, CheckingGivesTheCompilersError) {
  PatternReading reading;  // shared, as a list shares it between its rules
  PatternWorkspace workspace;
  for (const std::u16string& pattern : Corpus()) {
    SCOPED_TRACE(Utf8(pattern.substr(0, 80)));
    UrlPattern compiled;
    EXPECT_EQ(CompilePattern(pattern, &compiled), CheckPattern(pattern, &reading, &workspace));
  }
}

TEST(RuleErrorsTest, TheBoundIsReachedAndPassed) {
  UrlPattern compiled;
  EXPECT_EQ(PatternError::kOk, CompilePattern(AtTheBound(), &compiled));
  EXPECT_EQ(kMaxPatternInstructions, compiled.instructions().size());
  EXPECT_EQ(PatternError::kOutOfMemory, CompilePattern(AtTheBound() + u"a", &compiled));
}

TEST(RuleErrorsTest, AListKnowsEveryRulesErrorAndBuildsTheSameProgramLater) {
  // First, a rule in mixed case: the load builds its program ahead of any check.
  std::vector<std::u16string> lines = {u"-^HTTPS?://(Www\\.)?Ex+Ample"};
  for (const std::u16string& pattern : Corpus()) {
    if (pattern.size() < kHugePattern) {
      lines.push_back(u"-" + pattern);
    }
  }
  const CompiledFilterListPtr list = CompileFilterList(lines);
  ASSERT_NE(nullptr, list);
  ASSERT_EQ(lines.size(), list->rules().size());
  for (uint32_t i = 0; i < list->rules().size(); ++i) {
    SCOPED_TRACE(Utf8(lines[i].substr(0, 80)));
    UrlPattern compiled;
    const PatternError error = CompilePattern(lines[i].substr(1), &compiled);
    EXPECT_EQ(error, list->rules()[i].error);
    const UrlPattern* program = nullptr;
    EXPECT_EQ(error, list->ProgramFor(i, &program));
    EXPECT_TRUE(compiled.instructions() == program->instructions());
  }
}

TEST(RuleErrorsTest, AReusedReadingReadsAsAFreshOne) {
  PatternReading reused;
  for (const std::u16string& pattern : Corpus()) {
    if (pattern.size() >= kHugePattern) {
      continue;  // a tree of a million nodes, dumped, says nothing more
    }
    SCOPED_TRACE(Utf8(pattern.substr(0, 80)));
    PatternReading fresh;
    ReadPattern(pattern, PatternAbbreviations, &fresh);
    ReadPattern(pattern, PatternAbbreviations, &reused);
    EXPECT_EQ(fresh.error, reused.error);
    EXPECT_EQ(fresh.stop, reused.stop);
    EXPECT_EQ(fresh.anchored, reused.anchored);
    EXPECT_EQ(fresh.group_count, reused.group_count);
    EXPECT_EQ(fresh.ignored.size(), reused.ignored.size());
    EXPECT_EQ(DumpTree(fresh.sequence, true), DumpTree(reused.sequence, true));
  }
}

}  // namespace
}  // namespace zelk
