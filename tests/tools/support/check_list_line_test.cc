// The address files that check-list, impact and lint --profile read, the check-list lines
// impact reads back, and the words of a check's answer.
#include <gtest/gtest.h>

#include <string>

#include "tools/zelkctl/support/address_file.h"
#include "tools/zelkctl/support/check_answer.h"
#include "tools/zelkctl/support/check_list_line.h"

namespace zelk::tools {
namespace {

TEST(CheckListTest, AddressFilesTakeTheAddressOfEachLine) {
  const struct {
    const char* line;
    const char* address;
  } kLines[] = {
      {"https://a.example/x", "https://a.example/x"},
      {"  https://a.example/x\r", "https://a.example/x"},
      {"# a comment", ""},
      {"   ", ""},
      {"1700000000.123 42 10.0.0.7 TCP_MISS/200 GET https://b.example/ - DIRECT",
       "https://b.example/"},
      {"about:blank", "about:blank"},
      {"two words", "two words"},
      {"a\tb c", "a%09b c"},
  };
  for (const auto& c : kLines) {
    EXPECT_EQ(c.address, AddressOfLine(c.line)) << c.line;
  }
}

TEST(CheckListTest, LinesReadBackAsWritten) {
  CheckListLine line{CheckAnswer::kRefused, 1234, "line 2 (-a\tb) refuses it", "https://x/\ty"};
  CheckListLine read;
  ASSERT_TRUE(ParseCheckListLine(FormatCheckListLine(line), &read));
  EXPECT_EQ(CheckAnswer::kRefused, read.answer);
  EXPECT_EQ(1234, read.nanoseconds);
  EXPECT_EQ("line 2 (-a%09b) refuses it", read.why);
  EXPECT_EQ("https://x/\ty", read.url);  // the address is the rest of the line
  for (const char* bad : {"", "allowed\t12\twhy", "maybe\t1\tw\tu", "allowed\tx\tw\tu",
                          "allowed\t123456789012345678901234\tw\tu"}) {
    EXPECT_FALSE(ParseCheckListLine(bad, &read)) << bad;
  }
}

// CheckURL answers 0 with the denied page, or 1 with the address left as it was; a 1 with
// another text is the library's own page for a filter file it could not load.
TEST(CheckAnswerTest, TheReturnAndTheBufferTellTheAnswer) {
  const struct {
    int returned;
    const char* buffer;
    CheckAnswer answer;
  } kCases[] = {
      {1, "https://a/", CheckAnswer::kAllowed},   {0, "<p>denied</p>", CheckAnswer::kRefused},
      {0, "https://a/", CheckAnswer::kRefused},  // an empty template leaves the address
      {1, "About:Blank", CheckAnswer::kUnloaded}, {1, "https://a", CheckAnswer::kUnloaded},
      {-1, "https://a/", CheckAnswer::kRefused},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.buffer);
    const CheckAnswer answer = ClassifyCheckUrl(c.returned, "https://a/", c.buffer);
    EXPECT_EQ(c.answer, answer);
    CheckAnswer read = CheckAnswer::kAllowed;
    ASSERT_TRUE(AnswerOfWord(AnswerWord(answer), &read));
    EXPECT_EQ(answer, read);
  }
  CheckAnswer unchanged = CheckAnswer::kUnloaded;
  EXPECT_FALSE(AnswerOfWord("Allowed", &unchanged));
  EXPECT_EQ(CheckAnswer::kUnloaded, unchanged);
}

}  // namespace
}  // namespace zelk::tools
