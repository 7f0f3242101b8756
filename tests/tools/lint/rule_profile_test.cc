// The profile of lint --profile shares out exactly the steps the check spends, and the
// address files and check-list lines that impact reads back.
#include "tools/zelkctl/lint/rule_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/zelkctl/check_list.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

TEST(RuleProfileTest, SharesOutTheStepsOfEveryCheckAmongTheRulesItTried) {
  const std::vector<std::u16string> lines = {
      u"; comment", u"+all",   u"-^https?://ads\\.example/", u"-(a|b|c|d|e)*x.*y.*z", u"-casino",
      u"",          u"-never",
  };
  const std::vector<std::u16string> addresses = {u"https://ads.example/banner",
                                                 u"https://abcdeabcdeabcde/casino",
                                                 u"https://news.example/", u""};
  const RuleProfile profile = ProfileRules(lines, addresses);
  uint64_t expected_total = 0;
  for (const std::u16string& address : addresses) {
    UrlCheckInput input;
    input.filter_file_path = u"filter";
    input.address = address;
    input.rules = &lines;
    expected_total += DecideUrl(input).steps;
  }
  EXPECT_EQ(expected_total, profile.total_steps);
  uint64_t shared = 0;
  for (const RuleCost& cost : profile.rules) {
    shared += cost.steps;
  }
  EXPECT_EQ(profile.total_steps, shared);
  // The pattern rules the checks tried; comments and defaults cost nothing, and "-never" is
  // not tried at all, since no address holds its text.
  ASSERT_EQ(3u, profile.rules.size());
  EXPECT_EQ(4u, profile.rules[0].line);  // the runaway-prone rule costs most
  for (size_t i = 1; i < profile.rules.size(); ++i) {
    EXPECT_GE(profile.rules[i - 1].steps, profile.rules[i].steps);
  }
  for (const RuleCost& cost : profile.rules) {
    const struct {
      size_t line;
      size_t reached;
      size_t decided;
    } kExpected[] = {{3, 1, 1}, {4, 1, 0}, {5, 1, 1}};  // each tried only where its text is
    EXPECT_NE(7u, cost.line);
    for (const auto& e : kExpected) {
      if (e.line == cost.line) {
        EXPECT_EQ(e.reached, cost.reached) << "line " << e.line;
        EXPECT_EQ(e.decided, cost.decided) << "line " << e.line;
      }
    }
  }
}

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
  CheckListLine line{"refused", 1234, "line 2 (-a\tb) refuses it", "https://x/\ty"};
  CheckListLine read;
  ASSERT_TRUE(ParseCheckListLine(FormatCheckListLine(line), &read));
  EXPECT_EQ("refused", read.answer);
  EXPECT_EQ(1234, read.nanoseconds);
  EXPECT_EQ("line 2 (-a%09b) refuses it", read.why);
  EXPECT_EQ("https://x/\ty", read.url);  // the address is the rest of the line
  for (const char* bad : {"", "allowed\t12\twhy", "maybe\t1\tw\tu", "allowed\tx\tw\tu"}) {
    EXPECT_FALSE(ParseCheckListLine(bad, &read)) << bad;
  }
}

}  // namespace
}  // namespace zelk::tools
