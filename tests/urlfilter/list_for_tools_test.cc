// What the filter list and the check hand the administrator's tool: each rule's reading
// and program from the one compilation of the list, and the rules a check tried with
// their steps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/reference_walks.h"
#include "tests/support/test_support.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_line.h"
#include "urlfilter/pattern/parser.h"
#include "urlfilter/url_decision.h"

namespace zelk {
namespace {

using testing::Utf8;

// A literal rule the check decides without its program, a runaway one and, last, one that
// does not compile, so that every address can reach some rule of each kind.
const std::vector<std::u16string> kRules = {
    u"; comment", u"+all", u"-^https?://ads\\.example/", u"-(a|b|c)*x.*y", u"",
    u"-casino|x", u"+",    u"-{y}?(a|a)*\\0b",           u"-[z-a]",
};

TEST(CompiledFilterListTest, ObserverSeesEachPatternRuleOnceWithItsProgramKept) {
  std::vector<uint32_t> seen;
  std::vector<std::pair<uint32_t, const UrlPattern*>> programs;
  const CompiledFilterListPtr list = CompileFilterList(
      kRules,
      [&](const CompiledRule& rule, const PatternReading& reading, const UrlPattern* program) {
        seen.push_back(rule.line);
        EXPECT_EQ(rule.error == PatternError::kOk, program != nullptr) << rule.line;
        EXPECT_EQ(rule.error, reading.error) << rule.line;
        programs.emplace_back(rule.line, program);
      });
  ASSERT_NE(nullptr, list);
  EXPECT_EQ((std::vector<uint32_t>{2, 3, 5, 7, 8}), seen);
  for (const auto& [line, program] : programs) {
    UrlPattern alone;
    if (CompilePattern(ReadFilterLine(kRules[line]).folded, &alone) == PatternError::kOk) {
      ASSERT_NE(nullptr, program);  // kept by the list, still valid after it is built
      EXPECT_EQ(DumpProgram(alone.instructions()), DumpProgram(program->instructions()));
    }
  }
}

const char16_t* const kAddresses[] = {
    u"https://ads.example/banner",
    u"https://abcabcabc/x/y",
    u"http://casino/",
    u"",
    u"http://y/aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/c",
};

// The trials account for every step and every rule the check counted, and the last one
// is the rule that decided; the plain walk and the indexed check agree on them.
TEST(UrlDecisionTest, TrialsAccountForEveryStepAndRuleTried) {
  const CompiledFilterListPtr list = CompileFilterList(kRules);
  ASSERT_NE(nullptr, list);
  for (const char16_t* address : kAddresses) {
    SCOPED_TRACE(Utf8(address));
    for (const bool indexed : {true, false}) {
      std::vector<RuleTrial> trials;
      UrlCheckInput input;
      input.list = list.get();
      input.address = address;
      input.trials = &trials;
      const UrlDecision decision = indexed ? DecideUrl(input) : WalkFilterRules(input, kRules);
      uint64_t steps = 0;
      for (const RuleTrial& trial : trials) {
        steps += trial.steps;
      }
      EXPECT_EQ(decision.steps, steps);
      ASSERT_EQ(decision.rules_tried, trials.size());
      if (decision.reason != DecisionReason::kDefaultRule) {
        EXPECT_EQ(decision.line_index, trials.back().line_index);
      }
    }
  }
}

}  // namespace
}  // namespace zelk
