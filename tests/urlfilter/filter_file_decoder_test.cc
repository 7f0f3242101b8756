#include "urlfilter/filter_file_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::Utf8;

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::vector<std::u16string> lines;
};

const DecodeCase kDecodes[] = {
    {"LF line ends", "-a\n+b\n", {u"-a", u"+b"}},
    {"CR LF line ends give the same lines", "-a\r\n+b\r\n", {u"-a", u"+b"}},
    {"last line without line end", "-a\n+b", {u"-a", u"+b"}},
    {"blank lines are lines", "-a\n\n\r\n+b\n", {u"-a", u"", u"", u"+b"}},
    {"empty file", "", {}},
    {"a lone line end", "\n", {u""}},
    {"a CR not before LF stays", "-a\rb\n", {u"-a\rb"}},
    {"a CR at the very end stays", "-a\r", {u"-a\r"}},
    {"two CRs before LF keep one", "-a\r\r\n", {u"-a\r"}},
    {"Ctrl-Z ends the file", "-a\n+b\x1a-c\n", {u"-a", u"+b"}},
    {"Ctrl-Z at the start", "\x1a-a\n", {}},
    {"high bytes are Latin-1", "-caf\xe9\n", {u"-caf\u00e9"}},
    {"a UTF-8 byte-order mark is three characters", "\xef\xbb\xbf-a\n", {u"\u00ef\u00bb\u00bf-a"}},
    {"NUL bytes are kept", std::string("-a\0b\n", 5), {std::u16string(u"-a\0b", 4)}},
};

std::vector<std::u16string> LinesOf(const LineTexts& texts) {
  std::vector<std::u16string> lines;
  for (size_t i = 0; i < texts.size(); ++i) {
    lines.push_back(texts.Line(i));
  }
  return lines;
}

// Each case fed whole, then cut into two chunks at every place (a CR LF pair split
// included), decoded into strings and into one block of text: the lines are the same.
TEST(FilterFileDecoderTest, DecodesLinesAsTextModeReadsWhereverTheChunksEnd) {
  for (const DecodeCase& c : kDecodes) {
    for (size_t split = 0; split <= c.bytes.size() + 1; ++split) {
      SCOPED_TRACE(::testing::Message() << c.name << " split at " << split);
      std::vector<std::u16string> lines;
      LineTexts texts;
      FilterFileDecoder decoder(&lines);
      FilterFileDecoder block_decoder(&texts);
      for (FilterFileDecoder* d : {&decoder, &block_decoder}) {
        if (split > c.bytes.size()) {
          d->Feed(c.bytes);
        } else {
          d->Feed(std::string_view(c.bytes).substr(0, split));
          d->Feed(std::string_view(c.bytes).substr(split));
        }
        d->Finish();
      }
      EXPECT_EQ(c.lines, lines);
      EXPECT_EQ(c.lines, LinesOf(texts));
    }
  }
}

TEST(FilterFileDecoderTest, LongLinesHaveNoLimit) {
  const std::string line(1 << 20, 'x');
  std::vector<std::u16string> lines;
  FilterFileDecoder decoder(&lines);
  decoder.Feed("-" + line + "\n");
  decoder.Finish();
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(line.size() + 1, lines[0].size());
}

}  // namespace
}  // namespace zelk
