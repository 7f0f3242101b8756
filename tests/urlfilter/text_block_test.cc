#include "urlfilter/text_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace zelk {
namespace {

// Characters that exercise both widths: plain ASCII, Latin-1 past 127 (a signed byte would
// turn it negative) and past 255 (which a narrow block must not keep in one byte).
const char16_t kLetters[] = {u'a', u'z', u'\u00e9', u'\u00ff', u'\u0100', u'\u4e2d'};

// Random appends (empty ones too), moves down, truncations, shrinks and narrowings, against
// the same done on a string: the text survives every resize and change of width, a move
// down past overlapping text copies the characters as they were, and a search of the block's
// texts finds what the string's does.
TEST(TextBlockTest, KeepsItsTextThroughEveryChange) {
  std::mt19937 random(5);
  TextBlock block;
  std::u16string model;
  for (int step = 0; step < 4000; ++step) {
    const size_t size = model.size();
    // Wide characters come rarely, so that the block is often narrow for long.
    const size_t letters = random() % 8 == 0 ? std::size(kLetters) : 4;
    switch (random() % 7) {
      case 0:
      case 1: {
        const std::u16string text(random() % 40, kLetters[random() % letters]);
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
      case 4: {
        const bool narrow =
            std::all_of(model.begin(), model.end(), [](char16_t c) { return c < 256; });
        EXPECT_EQ(narrow, block.Narrow()) << "step " << step;
        break;
      }
      default:
        block.ShrinkToFit();
        EXPECT_EQ(model.size(), block.capacity());
    }
    ASSERT_EQ(model, block.Text(0, block.size())) << "step " << step;
    const size_t begin = model.empty() ? 0 : random() % model.size();
    const size_t length = std::min<size_t>(random() % 4, model.size() - begin);
    const std::u16string haystack = model.substr(random() % (model.size() + 1), 60);
    EXPECT_EQ(haystack.find(model.substr(begin, length)) != std::u16string::npos,
              block.FoundIn(haystack, begin, length))
        << "step " << step;
  }
}

}  // namespace
}  // namespace zelk
