#include "urlfilter/url_decision.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/test_support.h"
#include "urlfilter/compiled_filter_list.h"

namespace zelk {
namespace {

using testing::Utf8;

struct DecisionCase {
  const char* name;
  std::vector<std::u16string> rules;
  std::u16string_view address;
  bool allow;
  const char16_t* denied_word;
  DecisionReason reason;
};

// clang-format off
const DecisionCase kDecisions[] = {
    {"no rules: refused by the implicit default", {}, u"http://a/", false, u"", DecisionReason::kDefaultRule},
    {"one -all refuses everything", {u"-all"}, u"http://a/", false, u"", DecisionReason::kDefaultRule},
    {"+all then -casino: casino refused", {u"+all", u"-casino"}, u"http://x/Casino/y", false, u"casino", DecisionReason::kRuleMatched},
    {"+all then -casino: others allowed", {u"+all", u"-casino"}, u"http://x/news", true, u"", DecisionReason::kDefaultRule},
    {"-all then +^about: about allowed", {u"-all", u"+^about"}, u"about:version", true, u"^about", DecisionReason::kRuleMatched},
    {"-all then +^about: anchored, so not in the middle", {u"-all", u"+^about"}, u"x-about:version", false, u"", DecisionReason::kDefaultRule},
    {"the default rule may stand anywhere", {u"-\\.exe$", u"+/intranet/", u"+ALL"}, u"http://x/", true, u"", DecisionReason::kDefaultRule},
    {"the last default rule wins", {u"+all", u"-all"}, u"http://x/", false, u"", DecisionReason::kDefaultRule},
    {"the first matching pattern decides", {u"-\\.exe$", u"+/intranet/", u"-all"}, u"http://h/intranet/setup.EXE", false, u"\\.exe$", DecisionReason::kRuleMatched},
    {"intranet allowed", {u"-\\.exe$", u"+/intranet/", u"-all"}, u"http://h/intranet/page", true, u"/intranet/", DecisionReason::kRuleMatched},
    {"a bad rule refuses when reached", {u"+intranet", u"-[z-a]", u"+all"}, u"http://h/other", false, u"", DecisionReason::kCompileError},
    {"a bad rule after a match is never reached", {u"+intranet", u"-[z-a]", u"+all"}, u"http://intranet/", true, u"intranet", DecisionReason::kRuleMatched},
    {"comments and blank lines change nothing", {u"; -all", u"", u"   ", u"\t;+x", u"+all"}, u"http://x/", true, u"", DecisionReason::kDefaultRule},
    {"all without a mark is a deny rule for ll", {u"all", u"+all"}, u"http://hall/", false, u"ll", DecisionReason::kRuleMatched},
    {"+ all is a pattern, not a default rule", {u"+ all", u"-all"}, u"http://x/ all", true, u" all", DecisionReason::kRuleMatched},
    {"+ all pattern does not match without the blank", {u"+ all", u"-all"}, u"http://x/all", false, u"", DecisionReason::kDefaultRule},
    {"any mark but + denies", {u"*casino", u"+all"}, u"http://casino/", false, u"casino", DecisionReason::kRuleMatched},
    {"a line of only a mark is ignored", {u"+", u"-", u"+all"}, u"http://x/", true, u"", DecisionReason::kDefaultRule},
    {"white space around the line is trimmed", {u" \t+example\xA0\r", u"-all"}, u"http://example/", true, u"example", DecisionReason::kRuleMatched},
    {"the rule text is not trimmed after the mark", {u"- casino", u"+all"}, u"http://casino/", true, u"", DecisionReason::kDefaultRule},
    {"an empty address: only default rules count", {u"-x", u"+all"}, u"", true, u"", DecisionReason::kDefaultRule},
    {"an empty address with no default is refused", {u"+x"}, u"", false, u"", DecisionReason::kDefaultRule},
    {"the denied word is lower-cased", {u"-CaSiNo", u"+all"}, u"http://casino/", false, u"casino", DecisionReason::kRuleMatched},
    {"letters outside A-Z do not fold", {u"-\u00c9t\u00e9", u"+all"}, u"http://\u00e9t\u00e9/", true, u"", DecisionReason::kDefaultRule},
    {"a rule of other letters reads whole beside plain ones", {u"-x", u"-\u00e9t\u00e9/\u0100/long", u"-ab", u"+all"}, u"http://h/\u00e9t\u00e9/\u0100/long", false, u"\u00e9t\u00e9/\u0100/long", DecisionReason::kRuleMatched},
    {"a plain rule after a longer one of other letters", {u"-\u00e9t\u00e9/\u0100/long", u"-ab", u"+all"}, u"http://h/ab", false, u"ab", DecisionReason::kRuleMatched},
    {"a capital folds wherever it stands", {u"-casino/x", u"+all"}, u"http://x/casino/X", false, u"casino/x", DecisionReason::kRuleMatched},
    {"the address ends at its first NUL", {u"-casino", u"+all"}, std::u16string_view(u"http://x/\0casino", 16), true, u"", DecisionReason::kDefaultRule},
    {"an address cut to nothing still reaches a bad rule", {u"-[z-a]", u"+all"}, std::u16string_view(u"\0X", 2), false, u"", DecisionReason::kCompileError},
};
// clang-format on

TEST(DecideUrlTest, RulesDecideInOrder) {
  for (const DecisionCase& c : kDecisions) {
    SCOPED_TRACE(c.name);
    const CompiledFilterList list(c.rules);
    UrlCheckInput input;
    input.list = &list;
    input.address = c.address;
    const UrlDecision decision = DecideUrl(input);
    EXPECT_EQ(c.allow, decision.allow);
    EXPECT_EQ(Utf8(c.denied_word), Utf8(decision.denied_word));
    EXPECT_EQ(static_cast<int>(c.reason), static_cast<int>(decision.reason));
  }
}

// Checks share working room kept with the list: whatever one left behind (a run that spent
// the budget, a match, an address long enough that the room is given back) must not change
// the answer of the next, which is that of a list checked for the first time.
TEST(DecideUrlTest, EachCheckAnswersAsTheFirstOnItsList) {
  const std::vector<std::u16string> rules = {u"+x/{y}?(a|(a)a)*\\0b", u"-casino", u"+^http://ok/",
                                             u"-all"};
  const CompiledFilterList shared(rules);
  const std::u16string runaway = u"http://x/" + std::u16string(60, u'a') + u"/b";
  const std::u16string huge = u"http://ok/" + std::u16string(size_t{1} << 20, u'z') + u"casino";
  const std::u16string addresses[] = {runaway, u"http://ok/page", huge, u"http://CASINO/",
                                      runaway, u"http://other/",  huge, u"http://ok/"};
  for (const std::u16string& address : addresses) {
    SCOPED_TRACE(Utf8(address.substr(0, 40)));
    const CompiledFilterList fresh(rules);
    UrlCheckInput input;
    input.address = address;
    input.list = &fresh;
    const UrlDecision expected = DecideUrl(input);
    input.list = &shared;
    const UrlDecision decision = DecideUrl(input);
    EXPECT_EQ(expected.allow, decision.allow);
    EXPECT_EQ(static_cast<int>(expected.reason), static_cast<int>(decision.reason));
    EXPECT_EQ(expected.line_index, decision.line_index);
    EXPECT_EQ(expected.steps, decision.steps);
  }
}

TEST(DecideUrlTest, NoFilterFileOrCheckingOffAllowsEverything) {
  const CompiledFilterList list({u"-all", u"-.*"});
  UrlCheckInput input;
  input.address = u"http://anything/";
  const UrlDecision no_list = DecideUrl(input);  // no file named
  EXPECT_TRUE(no_list.allow);
  EXPECT_EQ(DecisionReason::kNoFilterFile, no_list.reason);
  input.list = &list;
  input.checking_enabled = false;
  const UrlDecision decision = DecideUrl(input);
  EXPECT_TRUE(decision.allow);
  EXPECT_EQ(DecisionReason::kCheckingOff, decision.reason);
}

// A back-reference makes the check backtrack plainly, so this rule runs away.
TEST(DecideUrlTest, RunawayMatchIsRefusedWithinTheBudget) {
  const CompiledFilterList list({u"+x/{y}?(a|(a)a)*\\0b", u"+all"});
  UrlCheckInput input;
  input.list = &list;
  const std::u16string address = u"http://x/" + std::u16string(60, u'a') + u"/b";
  input.address = address;
  const UrlDecision decision = DecideUrl(input);
  EXPECT_FALSE(decision.allow);
  EXPECT_EQ(DecisionReason::kBudgetExhausted, decision.reason);
  EXPECT_EQ(u"", decision.denied_word);
  EXPECT_LE(decision.steps, kUrlCheckStepBudget);
}

TEST(DecideUrlTest, BudgetIsSharedByAllRulesOfOneCheck) {
  // Each rule alone fits the budget; together they do not. The address holds each rule's
  // literal text, so every rule is tried.
  std::vector<std::u16string> rules(50, u"-x/(a|b)*c");
  rules.push_back(u"+all");
  const std::u16string address = u"http://x/" + std::u16string(20, u'a') + u"/c";
  const CompiledFilterList list(rules);
  UrlCheckInput input;
  input.list = &list;
  input.address = address;
  const UrlDecision one = DecideUrl(input);
  EXPECT_TRUE(one.allow);
  input.step_budget = one.steps / 2;
  const UrlDecision half = DecideUrl(input);
  EXPECT_FALSE(half.allow);
  EXPECT_EQ(DecisionReason::kBudgetExhausted, half.reason);
  EXPECT_GT(half.line_index, 0u);
}

}  // namespace
}  // namespace zelk
