// Lists no administrator would write on purpose: very many rules, a rule of a megabyte,
// rules whose programs would not fit, binary garbage. Each is compiled once, holds memory
// in proportion to its size, and every check keeps to the budget with the walk's answer.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/reference_walks.h"
#include "tests/support/test_support.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_file_decoder.h"
#include "urlfilter/url_decision.h"

namespace zelk {
namespace {

using testing::Repeat;
using testing::Utf8;

constexpr size_t kMegabyte = size_t{1} << 20;

struct Expected {
  std::u16string address;
  bool allow;
  DecisionReason reason;
};

struct HostileList {
  const char* name;
  std::vector<std::u16string> lines;
  std::vector<Expected> expected;
};

std::vector<std::u16string> ManyRules(size_t count) {
  std::vector<std::u16string> lines;
  for (size_t i = 0; i < count; ++i) {
    lines.push_back(u"-/w" + FromUtf8(std::to_string(i)) + u"/");
  }
  lines.push_back(u"+all");
  return lines;
}

std::vector<std::u16string> Garbage(size_t bytes) {
  std::mt19937 random(5);
  std::string data(bytes, '\0');
  for (char& c : data) {
    c = static_cast<char>(random());
    c = c == '\x1a' ? 'z' : c;  // a Ctrl-Z would end the file there
  }
  std::vector<std::u16string> lines;
  FilterFileDecoder decoder(&lines);
  decoder.Feed(data);
  decoder.Finish();
  return lines;
}

std::vector<HostileList> HostileLists() {
  const std::u16string long_run(kMegabyte / 2, u'a');
  return {
      {"100,000 rules",
       ManyRules(100000),
       {{u"http://x/w99999/", false, DecisionReason::kRuleMatched},
        {u"http://x/w100000/", true, DecisionReason::kDefaultRule}}},
      {"a rule of half a megabyte",
       {u"-" + long_run, u"+all"},
       {{u"http://x/" + long_run, false, DecisionReason::kRuleMatched},
        {u"http://x/" + std::u16string(1000, u'a'), true, DecisionReason::kDefaultRule}}},
      {"a megabyte of groups, too many instructions",
       {u"+/fine/", u"-(a)" + Repeat(u"(a)", kMegabyte / 3), u"+all"},
       {{u"http://x/fine/", true, DecisionReason::kRuleMatched},
        {u"http://x/aaa", false, DecisionReason::kCompileError}}},
      {"nested repeats doubling the program",
       {u"-" + Repeat(u"(", 30) + u"a" + Repeat(u")+", 30), u"+all"},
       {{u"http://x/", false, DecisionReason::kCompileError}}},
      {"10,000 alternatives",
       {u"-" + Repeat(u"(x)|", 9999) + u"(ab)", u"+all"},
       {{u"http://x/", false, DecisionReason::kRuleMatched},
        {u"http://b/", true, DecisionReason::kDefaultRule}}},
      {"repeats that backtrack, on addresses of 100,000 characters",
       {u"-.*/download/.*\\.exe$", u"-(a+)+b", u"-[^/]*x[^/]*y[^/]*z", u"+all"},
       {{u"http://b/" + Repeat(u"download/x.exe/", 6666), true, DecisionReason::kDefaultRule},
        {u"http://b/" + Repeat(u"download/x.exe/", 6666) + u".exe", false,
         DecisionReason::kRuleMatched},
        {u"http://b/" + Repeat(u"xy", 50000), true, DecisionReason::kDefaultRule},
        {u"http://b/" + Repeat(u"xy", 50000) + u"z", false, DecisionReason::kRuleMatched},
        {u"http://b/" + std::u16string(100000, u'a'), true, DecisionReason::kDefaultRule}}},
      {"a megabyte of binary garbage", Garbage(kMegabyte), {}},
  };
}

size_t TextBytes(const std::vector<std::u16string>& lines) {
  size_t bytes = 0;
  for (const std::u16string& line : lines) {
    bytes += line.size() * sizeof(char16_t);
  }
  return bytes;
}

UrlCheckInput InputFor(const CompiledFilterList& compiled, std::u16string_view address) {
  UrlCheckInput input;
  input.list = &compiled;
  input.address = address;
  return input;
}

UrlDecision Check(const CompiledFilterList& compiled, std::u16string_view address) {
  return DecideUrl(InputFor(compiled, address));
}

// Every rule in turn, without a budget: the reference.
UrlDecision Walk(const CompiledFilterList& compiled, std::u16string_view address) {
  UrlCheckInput input = InputFor(compiled, address);
  input.step_budget = kUnlimitedSteps;
  return WalkCompiledRules(input);
}

TEST(HostileListTest, CompilesOnceInBoundedMemoryAndChecksWithinTheBudget) {
  for (const HostileList& list : HostileLists()) {
    SCOPED_TRACE(list.name);
    const CompiledFilterListPtr compiled = CompileFilterList(list.lines);
    ASSERT_NE(nullptr, compiled);
    // A few instructions a character, a few index nodes a rule: never more than this.
    EXPECT_LE(compiled->memory(), 16 * TextBytes(list.lines) + kMegabyte);
    std::vector<std::u16string> addresses = {u"", u"https://www.example.com/path?q=1"};
    for (const Expected& expected : list.expected) {
      addresses.push_back(expected.address);
      const UrlDecision decision = Check(*compiled, expected.address);
      EXPECT_EQ(expected.allow, decision.allow) << Utf8(expected.address.substr(0, 40));
      EXPECT_EQ(expected.reason, decision.reason) << Utf8(expected.address.substr(0, 40));
    }
    for (const std::u16string& address : addresses) {
      SCOPED_TRACE(Utf8(address.substr(0, 40)));
      const UrlDecision decision = Check(*compiled, address);
      EXPECT_LE(decision.steps, kUrlCheckStepBudget);
      const UrlDecision walked = Walk(*compiled, address);
      EXPECT_EQ(walked.allow, decision.allow);
      EXPECT_EQ(walked.reason, decision.reason);
      if (decision.reason != DecisionReason::kDefaultRule) {
        EXPECT_EQ(walked.line_index, decision.line_index);
      }
    }
  }
}

}  // namespace
}  // namespace zelk
