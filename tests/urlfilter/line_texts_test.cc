#include "urlfilter/line_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::Utf8;

// Every code unit reads back as given, whatever the bytes it takes: one below 0x80, two
// below 0x800, three above, a surrogate on its own and the NUL included.
TEST(LineTextsTest, EveryLineReadsBackExactly) {
  const std::vector<std::u16string> lines = {
      u"-^https?://ads\\.example/",
      u"",
      u"+caf\u00e9 \u00ff\u0080\u07ff",
      u"-\u0800\u20ac\uffff",
      std::u16string(u"-\xd800x\xdfff", 4),
      std::u16string(u"-a\0b", 4),
      u"\t; comment \u00a0",
  };
  const LineTexts texts(lines);
  ASSERT_EQ(lines.size(), texts.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], texts.Line(i)) << "line " << i << " " << Utf8(lines[i]);
  }
  EXPECT_EQ(u"", texts.Line(lines.size()));
  EXPECT_EQ(0u, LineTexts(std::vector<std::u16string>()).size());
}

// The text of a file's lines, each byte a character below 256, costs at most two bytes a
// character; ASCII costs one.
TEST(LineTextsTest, HoldsAsciiInOneByteACharacter) {
  const std::vector<std::u16string> lines(1000, u"-^https?://([a-z0-9\\-]+\\.)*example\\.com/");
  const LineTexts texts(lines);
  EXPECT_LE(texts.memory(), lines.size() * (lines[0].size() + sizeof(uint32_t)));
}

// Lines of bytes, reserved for by a file's size, read back as their characters, and the
// text keeps little room it does not use.
TEST(LineTextsTest, LinesOfBytesReadBackAsLatin1) {
  const std::string lines[] = {"-ads", "", "+caf\xe9\xff\x80", "\r\t\x7f"};
  LineTexts texts;
  texts.Reserve(4096);
  for (const std::string& line : lines) {
    texts.AppendBytes(line);
  }
  texts.ShrinkToFit();
  ASSERT_EQ(4u, texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_EQ(lines[i].size(), texts.Line(i).size());
    for (size_t c = 0; c < lines[i].size(); ++c) {
      EXPECT_EQ(static_cast<unsigned char>(lines[i][c]), texts.Line(i)[c]) << i << " " << c;
    }
  }
  EXPECT_LE(texts.memory(), 64u);
}

}  // namespace
}  // namespace zelk
