// The profile of lint --profile shares out exactly the steps the check spends.
#include "tools/zelkctl/lint/rule_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

TEST(RuleProfileTest, SharesOutTheStepsOfEveryCheckAmongTheRulesItTried) {
  const std::vector<std::u16string> lines = {
      u"; comment", u"+all",   u"-^https?://ads\\.example/", u"-(a|b|c|d|e)*x.*y.*z", u"-casino",
      u"",          u"-never",
  };
  const std::vector<std::u16string> addresses = {u"https://ads.example/banner",
                                                 u"https://abcdeabcdeabcde/casino/zyx",
                                                 u"https://news.example/", u""};
  const RuleProfile profile = ProfileRules(lines, addresses);
  const CompiledFilterList list(lines);
  uint64_t expected_total = 0;
  for (const std::u16string& address : addresses) {
    UrlCheckInput input;
    input.list = &list;
    input.address = address;
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
    } kExpected[] = {{3, 1, 1}, {4, 2, 0}, {5, 1, 1}};  // each tried only where its text is
    EXPECT_NE(7u, cost.line);
    for (const auto& e : kExpected) {
      if (e.line == cost.line) {
        EXPECT_EQ(e.reached, cost.reached) << "line " << e.line;
        EXPECT_EQ(e.decided, cost.decided) << "line " << e.line;
      }
    }
  }
}

}  // namespace
}  // namespace zelk::tools
