#include "urlfilter/text_block.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace zelk {
namespace {

// Random appends (empty ones too), moves down, truncations and shrinks, against the same
// done on a string: the text survives every resize, and a move down past overlapping text
// copies the characters as they were.
TEST(TextBlockTest, KeepsItsTextThroughEveryChange) {
  std::mt19937 random(5);
  TextBlock block;
  std::u16string model;
  for (int step = 0; step < 3000; ++step) {
    const size_t size = model.size();
    switch (random() % 6) {
      case 0:
      case 1: {
        const std::u16string text(random() % 40, static_cast<char16_t>(u'a' + step % 26));
        block.Append(text);
        model += text;
        break;
      }
      case 2: {
        const size_t from = size == 0 ? 0 : random() % size;
        const size_t length = size - from == 0 ? 0 : random() % (size - from);
        const size_t to = from == 0 ? 0 : random() % from;
        block.MoveDown(from, length, to);
        model.replace(to, length, model.substr(from, length));
        break;
      }
      case 3:
        block.Truncate(size - random() % (size / 8 + 1));
        model.resize(block.size());
        break;
      default:
        block.ShrinkToFit();
        EXPECT_EQ(model.size(), block.capacity());
    }
    ASSERT_EQ(model, block.view()) << "step " << step;
  }
}

}  // namespace
}  // namespace zelk
