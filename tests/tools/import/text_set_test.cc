#include "tools/zelkctl/import/text_set.h"

#include <gtest/gtest.h>

#include <string>

namespace zelk::tools {
namespace {

// Enough texts to grow the table several times, with texts that share prefixes and
// suffixes and the empty text among them.
TEST(TextSetTest, EveryTextAddedOnceIsFoundByItsNumber) {
  TextSet set;
  constexpr size_t kCount = 5000;
  for (size_t i = 0; i < kCount; ++i) {
    bool added = false;
    EXPECT_EQ(i, set.Insert(i == 0 ? "" : "a" + std::to_string(i) + ".example", &added));
    EXPECT_TRUE(added);
  }
  for (size_t i = 0; i < kCount; ++i) {
    const std::string text = i == 0 ? "" : "a" + std::to_string(i) + ".example";
    bool added = true;
    EXPECT_EQ(i, set.Insert(text, &added));
    EXPECT_FALSE(added);
    EXPECT_EQ(i, set.Find(text));
    EXPECT_EQ(text, set.Text(i));
  }
  EXPECT_EQ(kCount, set.size());
  for (const char* absent : {"a", "a1", "a1.exampl", "1.example", "a5000.example"}) {
    EXPECT_FALSE(set.Contains(absent)) << absent;
  }
}

TEST(TextSetTest, ReservedOrNotTheAnswersAgree) {
  TextSet reserved;
  reserved.Reserve(3, 8);
  TextSet plain;
  EXPECT_FALSE(plain.Contains("x"));
  for (const char* text : {"x", "y", "x", "xy"}) {
    bool first = false;
    bool second = false;
    EXPECT_EQ(reserved.Insert(text, &first), plain.Insert(text, &second));
    EXPECT_EQ(first, second);
  }
  EXPECT_EQ(3u, reserved.size());
}

}  // namespace
}  // namespace zelk::tools
