#include "tools/zelkctl/lint/pattern_shapes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/zelkctl/lint/line_hashes.h"

namespace zelk::tools {
namespace {

struct ShapeCase {
  const char16_t* learnt;
  const char16_t* other;
  bool derived;  // the other's program comes from the learnt one
};

const ShapeCase kShapeCases[] = {
    // Host rules as an import writes them, the run with escaped dots in it.
    {u"^[a-z][a-z0-9+.\\-]*://([^/?#\\\\]*@)?([a-z0-9_\\-]+\\.)*ads-0\\.net0\\.example\\.?(:[0-9]+)"
     u"?![^/?#]",
     u"^[a-z][a-z0-9+.\\-]*://([^/?#\\\\]*@)?([a-z0-9_\\-]+\\.)*CDN-9\\.web7\\.example\\.?(:[0-9]+)"
     u"?![^/?#]",
     true},
    {u"^https?://ads\\.example/", u"^https?://xyz\\.example/", true},
    {u"[ab]cd.*x", u"[ab]ce.*x", true},
    {u"xab+.*", u"yab+.*", true},  // the quantified "b" stays as learnt
    {u"xab+.*", u"xac+.*", false},
    {u"[ab]cd.*x", u"[xy]cd.*x", false},                               // outside the run
    {u"^https?://ads\\.example/", u"^https?://adsxexample/", false},   // "\." is no letter
    {u"^https?://ads\\.example/", u"^https?://ad\\.example/", false},  // another length
    {u"^https?://ads\\.example/", u"^https?://ad.\\.example/", false},
    {u"(a).*\\1bc", u"(a).*\\12c", false},  // a digit would lengthen the back-reference
    {u"casino", u"kasino", false},          // plain text: its literal is its own
    {u"(x+)*ya", u"(x+)*yb", false},        // a rule with notes is never learnt
    {u"a)bc.*", u"a)bd.*", false},          // nor one with ignored text
};

TEST(PatternShapesTest, DerivesExactlyTheProgramTheCompilerBuilds) {
  for (const ShapeCase& c : kShapeCases) {
    SCOPED_TRACE(std::string(c.other, c.other + std::u16string_view(c.other).size()));
    PatternShapes shapes;
    PatternShapes::Derived derived;
    bool worth_learning = true;
    EXPECT_FALSE(shapes.Derive(c.learnt, &derived, &worth_learning));
    EXPECT_FALSE(worth_learning);  // met once: not yet worth it
    EXPECT_FALSE(shapes.Derive(c.learnt, &derived, &worth_learning));
    shapes.Learn(c.learnt, AnalysePattern(c.learnt));
    ASSERT_EQ(c.derived, shapes.Derive(c.other, &derived, &worth_learning));
    if (c.derived) {
      const PatternAnalysis other = AnalysePattern(c.other);
      EXPECT_EQ(other.anchored, derived.anchored);
      EXPECT_EQ(other.program->instructions(), derived.program);
    }
  }
}

// A shape that cannot be learnt is not tried again and again: each try costs two more
// compilations of a rule.
TEST(PatternShapesTest, GivesUpOnAShapeThatCannotBeLearnt) {
  PatternShapes shapes;
  PatternShapes::Derived derived;
  bool worth_learning = false;
  const std::u16string pattern = u"(x+)*ya";
  const PatternAnalysis analysis = AnalysePattern(pattern);
  std::vector<bool> tries;
  for (int i = 0; i < 5; ++i) {
    EXPECT_FALSE(shapes.Derive(pattern, &derived, &worth_learning));
    tries.push_back(worth_learning);
    if (worth_learning) {
      shapes.Learn(pattern, analysis);
    }
  }
  EXPECT_EQ((std::vector<bool>{false, true, true, false, false}), tries);
  EXPECT_EQ(0u, shapes.shape_count());
}

TEST(LineHashesTest, FindsEveryLineOfAHashAmongCollisions) {
  LineHashes hashes;
  for (size_t line = 0; line < 1000; ++line) {
    hashes.Add((line % 10) * 1024, line);  // ten hashes, all in one probe run
  }
  std::vector<size_t> found;
  hashes.ForEach(3 * 1024, [&](size_t line) { found.push_back(line); });
  ASSERT_EQ(100u, found.size());
  for (size_t line : found) {
    EXPECT_EQ(3u, line % 10);
  }
  size_t absent = 0;
  hashes.ForEach(77, [&](size_t) { ++absent; });
  EXPECT_EQ(0u, absent);
}

}  // namespace
}  // namespace zelk::tools
