#include "tools/zelkctl/lint/char_set.h"

#include <gtest/gtest.h>

namespace zelk::tools {
namespace {

CharSet Of(std::initializer_list<std::pair<uint32_t, uint32_t>> ranges) {
  CharSet set;
  for (const auto& range : ranges) {
    set.Add(range.first, range.second);
  }
  return set;
}

TEST(CharSetTest, IntersectsOnlyWhenACharacterIsShared) {
  const struct {
    CharSet a;
    CharSet b;
    bool shared;
  } cases[] = {
      {Of({{'a', 'c'}}), Of({{'c', 'e'}}), true},
      {Of({{'a', 'c'}}), Of({{'d', 'e'}}), false},
      {Of({{'a', 'a'}, {'x', 'x'}}), Of({{'b', 'w'}}), false},
      {Of({{'b', 'b'}, {'a', 'a'}, {'c', 'c'}}), Of({{'b', 'b'}}), true},   // merged out of order
      {Of({{'a', 'a'}, {'e', 'e'}, {'b', 'd'}}), Of({{'f', 'z'}}), false},  // one bridges two
      {Of({{'a', 'a'}, {'e', 'e'}, {'b', 'd'}}), Of({{'c', 'c'}}), true},
      {Of({}), CharSet::All(), false},
      {Of({{0, 0}}), CharSet::All(), true},
      {Of({{'/', '/'}}).Complement(), Of({{'/', '/'}}), false},
      {Of({{'/', '/'}}).Complement(), Of({{0, 0}, {0xffff, 0xffff}}), true},
      {Of({{0, 0xffff}}).Complement(), CharSet::All(), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.shared, c.a.Intersects(c.b));
    EXPECT_EQ(c.shared, c.b.Intersects(c.a));
  }
}

// Past its range limit a set widens to the span it covers: more cautious, never less.
TEST(CharSetTest, WidensPastItsRangeLimit) {
  CharSet many;
  for (uint32_t c = 0; c < 2 * CharSet::kMaxRanges + 2; c += 2) {
    many.Add(0x100 + c, 0x100 + c);
  }
  EXPECT_TRUE(many.Intersects(Of({{0x101, 0x101}})));  // a gap, now covered
  EXPECT_FALSE(many.Intersects(Of({{0, 0xff}})));
}

}  // namespace
}  // namespace zelk::tools
