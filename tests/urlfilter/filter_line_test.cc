#include "urlfilter/filter_line.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::Utf8;

// The view and the copy read a line alike; the copy adds the folded text of a rule.
struct LineCase {
  std::u16string line;
  FilterLineKind kind;
  std::u16string text;  // as written
  std::u16string folded;
  size_t mark_index;
};

const LineCase kLines[] = {
    {u" \t+ALL\u00a0", FilterLineKind::kDefaultRule, u"ALL", u"all", 2},
    {u"-alls", FilterLineKind::kPatternRule, u"alls", u"alls", 0},
    {u"x Ab C ", FilterLineKind::kPatternRule, u" Ab C", u" ab c", 0},
    {std::u16string(u"-Ab\0cd", 6), FilterLineKind::kPatternRule, u"Ab", u"ab", 0},
    {u";  Comment ", FilterLineKind::kComment, u"  Comment", u"", 0},
    {u"  +  ", FilterLineKind::kBlank, u"", u"", 2},
};

TEST(FilterLineTest, ViewAndCopyReadTheSameLine) {
  for (const LineCase& c : kLines) {
    SCOPED_TRACE(Utf8(c.line));
    const FilterLineView view = ViewFilterLine(c.line);
    const FilterLine read = ReadFilterLine(c.line);
    EXPECT_EQ(c.kind, view.kind);
    EXPECT_EQ(c.text, view.text);
    EXPECT_EQ(c.mark_index, view.mark_index);
    EXPECT_EQ(c.line[c.mark_index] == u'+', view.allow);
    EXPECT_EQ(c.kind, read.kind);
    EXPECT_EQ(c.text, read.text);
    EXPECT_EQ(c.folded, read.folded);
  }
}

}  // namespace
}  // namespace zelk
