// A rule read through the tree kept for its shape must read exactly as when read on its
// own: the same tree, so the same error and the same factors.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "common/text.h"
#include "tests/support/pattern_tree.h"
#include "tests/support/test_support.h"
#include "urlfilter/literal_alternatives.h"
#include "urlfilter/literal_factors.h"
#include "urlfilter/pattern/abbreviations.h"
#include "urlfilter/rule_shapes.h"

namespace zelk {
namespace {

using testing::DumpTree;
using testing::Utf8;

// "R" in a template stands for the run; every template is tried with every run, in turn,
// so that each shape is met again with other characters (and other cases, and escapes).
const char16_t* const kTemplates[] = {
    u"^https?://([^/?#\\\\]*@)?([a-z0-9_\\-]+\\.)*R\\.?(:[0-9]+)?![^/?#]",
    u"^https?://R/",
    u"R|xy",
    u"xy|R",
    u"!R",
    u"R*",
    u"R+x",
    u"(R)",
    u"{R}\\1",
    u"[R]",
    u"[^R]x",
    u"R$",
    u"\\dR\\w",
    u"R]tail",
    u"(R",
    u"^R",
    u"R\\",
    u"aR?",
    u"(ab|R)",
    u"R\\a\\z",
    u"x[\\]R]y",
    u"R\\tR",
    u"ab{R}cd\\0",
    u"R*+",
    u"!(R)",
    // Characters before and after the run that make the joined text too long, at several
    // places in the run; texts after it that repeat once joined.
    u"://////////////////////////////////////////////////R(x|y)",
    u"//////////////////////////////////////////////////////R/zz",
    u"((ab|b)|x)?//R(a|ab)(b|c)//(x|y)?",
    u"(x|xy)R(ab|b)z",
    // A run as long as the pattern's other run, before it and after it.
    u"R/abcdefghijkl",
    u"abcdefghijkl/R",
};
const char16_t* const kRuns[] = {
    u"example\\.com", u"EXAMPLE\\.Com", u"ads-track_9\\.net", u"a\\/b\\:c\\%d", u"\\.\\.\\.\\.\\.",
    u"abcdefghijkl",  u"0123456789ab",  u"x\\|y\\*z\\?w\\+",  u"\\\\\\\\abcd",
};

std::u16string Fill(std::u16string_view form, std::u16string_view run) {
  std::u16string pattern;
  for (char16_t c : form) {
    pattern += c == u'R' ? std::u16string(run) : std::u16string(1, c);
  }
  return pattern;
}

// How many patterns went through a shape, and how many of those had their factors read
// from the shape's kept reading.
struct ShapedCount {
  size_t shaped = 0;
  size_t with_factors = 0;
};

// Reads `pattern` through `shapes` and, when a shape takes it, expects what it reads as to
// be what it reads as alone.
void ExpectReadsAsAlone(const std::u16string& pattern, RuleShapes* shapes, ShapedCount* count) {
  PatternWorkspace workspace;
  PatternReading alone;
  const SharedTermFactors* factors = nullptr;
  const PatternReading* reading = shapes->Read(pattern, &workspace, &factors);
  const PatternError error = CheckPattern(pattern, &alone, &workspace);
  if (reading == nullptr) {
    return;
  }
  ++count->shaped;
  SCOPED_TRACE(Utf8(pattern));
  EXPECT_EQ(error, PatternError::kOk);
  // Everything the tree says but where its terms stand in the text.
  EXPECT_EQ(DumpTree(reading->sequence, false), DumpTree(alone.sequence, false));
  EXPECT_EQ(reading->anchored, alone.anchored);
  EXPECT_EQ(reading->group_count, alone.group_count);
  EXPECT_EQ(RequiredFactors(*reading), RequiredFactors(alone));
  std::vector<std::u16string> shaped_texts, alone_texts;
  EXPECT_EQ(LiteralAlternatives(*reading, &shaped_texts), LiteralAlternatives(alone, &alone_texts));
  EXPECT_EQ(shaped_texts, alone_texts);
  if (factors != nullptr) {
    ++count->with_factors;
    EXPECT_EQ(factors->Factors(*reading), RequiredFactors(alone));
  }
}

// Every template with every run, template by template (each shape met again at once, with
// runs of other lengths) and run by run (shapes met again after others).
TEST(RuleShapes, ReadsEveryPatternAsItReadsAlone) {
  const size_t patterns = std::size(kTemplates) * std::size(kRuns);
  for (const bool by_template : {true, false}) {
    RuleShapes shapes;
    ShapedCount count;
    for (size_t i = 0; i < patterns; ++i) {
      const size_t form = by_template ? i / std::size(kRuns) : i % std::size(kTemplates);
      const size_t run = by_template ? i % std::size(kRuns) : i / std::size(kTemplates);
      ExpectReadsAsAlone(Fill(kTemplates[form], kRuns[run]), &shapes, &count);
    }
    // Most patterns go through a shape: the comparisons are not empty ones.
    EXPECT_GT(count.shaped, patterns / 2);
    EXPECT_GT(count.with_factors, count.shaped / 3);
    EXPECT_LT(shapes.shape_count(), patterns);
  }
}

// Once the room for shapes is full, a pattern of a new shape is left to the reader, even
// right after a pattern of the same text around a run of another length.
TEST(RuleShapes, ReadsAsAloneWhenTheRoomIsFull) {
  RuleShapes shapes;
  ShapedCount count;
  for (int i = 0; i < 300; ++i) {
    ExpectReadsAsAlone(u"^https?://example\\.com/", &shapes, &count);
  }
  for (int i = 0; i < 300; ++i) {
    const std::u16string form = u"[" + FromUtf8(std::to_string(i)) + u"]/";
    for (const char16_t* run : {u"abcdefgh", u"hgfedcba", u"abcdefghijk"}) {
      ExpectReadsAsAlone(form + run, &shapes, &count);
    }
  }
  EXPECT_LT(count.shaped, 1200u);
  EXPECT_GT(count.shaped, 300u);
}

// Patterns without a run worth a shape, or that do not compile, are left to the reader.
TEST(RuleShapes, LeavesOtherPatternsToTheReader) {
  const char16_t* const kLeft[] = {
      u"abc",       u"a.b.c.d",   u"(abcdef",  u"abcdef)", u"[]abcdef",
      u"a|b|c|d|e", u"\\9abcdef", u"abcdef]x", u"",
  };
  RuleShapes shapes;
  PatternWorkspace workspace;
  for (const char16_t* pattern : kLeft) {
    EXPECT_EQ(shapes.Read(pattern, &workspace), nullptr) << Utf8(pattern);
    EXPECT_EQ(shapes.Read(pattern, &workspace), nullptr) << Utf8(pattern);
  }
}

}  // namespace
}  // namespace zelk
