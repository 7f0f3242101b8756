// A rule read through the tree kept for its shape must read exactly as when read on its
// own: the same tree, so the same error and the same factors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "urlfilter/literal_factors.h"
#include "urlfilter/pattern/abbreviations.h"
#include "urlfilter/rule_shapes.h"

namespace zelk {
namespace {

using testing::Utf8;

// Everything the tree says but where its terms stand in the text.
bool SameTree(const PatternNode& a, const PatternNode& b) {
  if (a.kind != b.kind || a.quantifier != b.quantifier || a.negated != b.negated ||
      a.may_be_empty != b.may_be_empty || a.value != b.value ||
      a.members.size() != b.members.size() || a.children.size() != b.children.size()) {
    return false;
  }
  for (size_t i = 0; i < a.members.size(); ++i) {
    if (a.members[i].low != b.members[i].low || a.members[i].high != b.members[i].high) {
      return false;
    }
  }
  for (size_t i = 0; i < a.children.size(); ++i) {
    if (!SameTree(a.children[i], b.children[i])) {
      return false;
    }
  }
  return true;
}

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

TEST(RuleShapes, ReadsEveryPatternAsItReadsAlone) {
  RuleShapes shapes;
  PatternWorkspace workspace;
  PatternReading alone;
  size_t shaped = 0;
  size_t patterns = 0;
  size_t with_factors = 0;
  for (const char16_t* form : kTemplates) {
    for (const char16_t* run : kRuns) {
      const std::u16string pattern = Fill(form, run);
      ++patterns;
      const SharedTermFactors* factors = nullptr;
      const PatternReading* reading = shapes.Read(pattern, &workspace, &factors);
      const PatternError error = CheckPattern(pattern, &alone, &workspace);
      if (reading == nullptr) {
        continue;
      }
      ++shaped;
      SCOPED_TRACE(Utf8(pattern));
      EXPECT_EQ(error, PatternError::kOk);
      EXPECT_TRUE(SameTree(reading->sequence, alone.sequence));
      EXPECT_EQ(reading->anchored, alone.anchored);
      EXPECT_EQ(reading->group_count, alone.group_count);
      EXPECT_EQ(RequiredFactors(*reading), RequiredFactors(alone));
      std::vector<std::u16string> shaped_texts, alone_texts;
      EXPECT_EQ(LiteralAlternatives(*reading, &shaped_texts),
                LiteralAlternatives(alone, &alone_texts));
      EXPECT_EQ(shaped_texts, alone_texts);
      if (factors != nullptr) {
        ++with_factors;
        EXPECT_EQ(factors->Factors(*reading), RequiredFactors(alone));
      }
    }
  }
  // Most patterns go through a shape: the comparison above is not an empty one.
  EXPECT_GT(shaped, patterns / 2);
  EXPECT_GT(with_factors, shaped / 3);
  EXPECT_LT(shapes.shape_count(), patterns);
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
