#include "urlfilter/factor_windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "urlfilter/factor_index.h"

namespace zelk {
namespace {

using testing::Utf8;

std::u16string Hex(uint32_t value) {
  std::u16string text;
  for (int shift = 28; shift >= 0; shift -= 4) {
    text += u"0123456789abcdef"[(value >> shift) & 15];
  }
  return text;
}

// Every text of `texts` is counted; the window chosen for the first must avoid `shared`,
// the end many of them hold (which wins ties), and lie in the first text.
struct ChooseCase {
  const char* name;
  std::vector<std::u16string> texts;
  std::u16string shared;
};

std::vector<std::u16string> InOneFolder(size_t count) {
  std::vector<std::u16string> texts;
  for (uint32_t i = 0; i < count; ++i) {
    texts.push_back(Hex(i * 2654435761u) + u"/downloads/setup.exe");
  }
  return texts;
}

TEST(FactorWindowsTest, ChoosesAWindowFewOtherTextsHold) {
  const ChooseCase cases[] = {
      {"a few texts, all counts still pending",
       {u"XYZabcdefg", u"hijabcdefg", u"klmabcdefg"},
       u"abcdefg"},
      {"hundreds on one host, counted far past the pending ones", InOneFolder(400),
       u"/downloads/setup.exe"},
  };
  for (const ChooseCase& c : cases) {
    SCOPED_TRACE(c.name);
    FactorWindows windows(c.texts.size());
    for (const std::u16string& text : c.texts) {
      windows.Count(text);
    }
    windows.Finish();
    const std::u16string window(windows.Choose(c.texts[0]));
    EXPECT_EQ(kIndexWindowLength, window.size());
    EXPECT_NE(std::u16string::npos, c.texts[0].find(window)) << Utf8(window);
    EXPECT_EQ(std::u16string::npos, c.shared.find(window)) << Utf8(window);
  }
}

TEST(FactorWindowsTest, AShortTextIsItsOwnWindow) {
  FactorWindows windows(2);
  for (const std::u16string_view text : {u"ads", u"tracker"}) {
    windows.Count(text);
    windows.Count(text);
  }
  windows.Finish();
  EXPECT_EQ(u"ads", windows.Choose(u"ads"));
  EXPECT_EQ(u"tracker", windows.Choose(u"tracker"));
}

// Announced ahead or not, in order, out of order or beyond the room for those waiting, a
// text gets the same window.
TEST(FactorWindowsTest, AnnouncingTextsAheadChangesNoChoice) {
  const std::vector<std::u16string> texts = InOneFolder(3 * FactorWindows::kAhead);
  FactorWindows windows(texts.size());
  for (const std::u16string& text : texts) {
    windows.Count(text);
  }
  windows.Finish();
  std::vector<std::u16string_view> unannounced;
  for (const std::u16string& text : texts) {
    unannounced.push_back(windows.Choose(text));
  }
  for (const std::u16string& text : texts) {
    windows.Announce(text);  // the later ones find no room
  }
  for (size_t i : {size_t{1}, size_t{0}, size_t{2}, size_t{2}, texts.size() - 1}) {
    EXPECT_EQ(unannounced[i], windows.Choose(texts[i])) << i;
  }
}

}  // namespace
}  // namespace zelk
