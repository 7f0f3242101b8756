// The files zelkctl reads and writes for the administrator: a folder is no input file, a
// limit cuts a read, -o replaces a file whole, and an address file keeps to its limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder_test.h"
#include "tests/support/test_support.h"
#include "tools/zelkctl/support/address_file.h"
#include "tools/zelkctl/support/blank_text.h"
#include "tools/zelkctl/support/input_file.h"
#include "tools/zelkctl/support/output_file.h"

namespace zelk::tools {
namespace {

using zelk::testing::ReadFile;
using zelk::testing::WriteFile;

using AdminFilesTest = zelk::testing::TempFolderTest;

TEST_F(AdminFilesTest, ReadsWhatIsThereUpToTheLimit) {
  WriteFile(F("a.txt"), "0123456789");
  const struct {
    std::string path;
    size_t limit;
    bool read;
    const char* bytes;
  } kCases[] = {
      {Path("a.txt"), std::string::npos, true, "0123456789"},
      {Path("a.txt"), 4, true, "0123"},
      {Path("a.txt"), 0, true, ""},
      {Path("missing.txt"), std::string::npos, false, ""},
      {temp_.path().u8string(), std::string::npos, false, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.path + " limit " + std::to_string(c.limit));
    std::string bytes;
    EXPECT_EQ(c.read, ReadInputFile(c.path, c.limit, &bytes));
    if (c.read) {
      EXPECT_EQ(c.bytes, bytes);
    }
  }
}

TEST_F(AdminFilesTest, OutputReplacesTheFileAndFailsWhereItCannotWrite) {
  WriteFile(F("out.txt"), "an older and longer text\n");
  EXPECT_TRUE(WriteOutput(Path("out.txt"), JoinLines({"a", "b"})));
  EXPECT_EQ("a\nb\n", ReadFile(F("out.txt")));
  EXPECT_FALSE(WriteOutput(temp_.path().u8string(), "x"));
  EXPECT_FALSE(WriteFileBytes(Path("no/such/folder/x.txt"), "x"));
  EXPECT_TRUE(WriteFileBytes(Path("made/for/it/x.txt"), "x", true));
  EXPECT_EQ("x", ReadFile(F("made/for/it/x.txt")));
}

TEST_F(AdminFilesTest, AnAddressFileStopsAtItsLimits) {
  WriteFile(F("urls.txt"), "# sample\nhttps://a/\n\nhttps://b/\r\nhttps://c/");
  const struct {
    AddressFileLimits limits;
    std::vector<std::string> urls;
  } kCases[] = {
      {{}, {"https://a/", "https://b/", "https://c/"}},
      {{std::string::npos, 2}, {"https://a/", "https://b/"}},
      {{18, std::string::npos}, {"https://a"}},  // a line cut by the byte limit still counts
  };
  for (const auto& c : kCases) {
    std::vector<std::string> urls;
    ASSERT_TRUE(ReadAddressFile(Path("urls.txt"), &urls, c.limits));
    EXPECT_EQ(c.urls, urls);
  }
  std::vector<std::string> urls;
  EXPECT_FALSE(ReadAddressFile(Path("missing.txt"), &urls));
}

TEST(BlankTextTest, TrimsEndsAndSplitsWords) {
  EXPECT_EQ("a b", TrimBlank(" \t\r\na b\v\f "));
  EXPECT_EQ("", TrimBlank(" \t "));
  EXPECT_EQ(u"x", TrimEnds(std::u16string_view(u"\"'x'\""),
                           [](char16_t c) { return c == u'"' || c == u'\''; }));
  EXPECT_EQ((std::vector<std::string_view>{"a", "bc", "d"}), Words("  a\tbc \r\n d "));
  EXPECT_TRUE(Words(" \t ").empty());
}

}  // namespace
}  // namespace zelk::tools
