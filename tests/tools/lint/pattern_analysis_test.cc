#include "tools/zelkctl/lint/pattern_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tools/zelkctl/lint/host_rule_advice.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk::tools {
namespace {

using testing::Utf8;

std::vector<PatternIssue> IssuesOf(const PatternAnalysis& analysis) {
  std::vector<PatternIssue> issues;
  for (const PatternNote& note : analysis.notes) {
    issues.push_back(note.issue);
  }
  return issues;
}

bool HasIssue(const PatternAnalysis& analysis, PatternIssue issue) {
  for (const PatternNote& note : analysis.notes) {
    if (note.issue == issue) {
      return true;
    }
  }
  return false;
}

// The verdict is about the shape, so it is measured on plain backtracking, as the check
// runs a pattern that holds a back-reference.
uint64_t StepsOn(const UrlPattern& pattern, const std::u16string& input) {
  MatchState state;
  MatchPattern(pattern, input, &state, 400'000'000, MatchMode::kPlainBacktracking);
  return state.steps();
}

struct RunawayCase {
  const char16_t* pattern;
  const char16_t* unit;  // repeated to make an address that almost matches
  bool flagged;
};

// clang-format off
const RunawayCase kRunaway[] = {
    {u"(a+)+x", u"a", true},
    {u"(x+)*y", u"x", true},
    {u"\\w+\\d", u"a", true},          // \w is itself ([a-z]+)
    {u"\\z+x", u"1", true},
    {u"(a+b?)+x", u"a", true},
    {u"(.*\\.)*x", u"a.", true},       // .* can eat the dots
    {u"(a|(a))*x", u"a", true},
    {u"(a|(aa))*x", u"a", true},
    {u"(a|a)*x", u"a", false},         // one set: a
    {u"(a|ab)*x", u"ab", false},       // "|" binds single terms: (a|a)b, one set then b
    {u"(ab|a|ba)*x", u"aba", false},   // a(b|a|b)a, a[ab]a
    {u"((ab)*c)*x", u"abc", false},    // each iteration ends at a c
    {u"(a*\\.)*x", u"aa.", false},
    {u"([a-z0-9-]+\\.)*x", u"ab.", false},
    {u"(ab|ac)*x", u"abc", false},     // a(b|a)c: the alternatives never collide
    {u"(/[a-z]+)*x", u"/ab", false},
    {u"(a?b)*x", u"ab", false},
};
// clang-format on

// The check's verdict must agree with the matcher: the steps of a flagged pattern explode
// when the almost-matching part doubles, those of the others grow gently.
TEST(PatternAnalysisTest, RunawayVerdictAgreesWithTheMatcher) {
  for (const RunawayCase& c : kRunaway) {
    SCOPED_TRACE(Utf8(c.pattern));
    const PatternAnalysis analysis = AnalysePattern(c.pattern);
    ASSERT_EQ(PatternError::kOk, analysis.error);
    const bool flagged = HasIssue(analysis, PatternIssue::kRunawayRepeat) ||
                         HasIssue(analysis, PatternIssue::kAmbiguousAlternation);
    EXPECT_EQ(c.flagged, flagged);
    std::u16string eight;
    for (int i = 0; i < 8; ++i) {
      eight += c.unit;
    }
    const double growth = static_cast<double>(StepsOn(*analysis.program, eight + eight + u"!")) /
                          static_cast<double>(StepsOn(*analysis.program, eight + u"!"));
    if (c.flagged) {
      EXPECT_GT(growth, 15.0);
    } else {
      EXPECT_LT(growth, 6.0);
    }
  }
}

TEST(PatternAnalysisTest, RunawayNoteNamesTheOutermostRepeatOnce) {
  const PatternAnalysis analysis = AnalysePattern(u"ab((c+)+)+");
  ASSERT_EQ(1u, analysis.notes.size());
  EXPECT_EQ(3u, analysis.notes[0].position);  // the inner "(c+)+", found first
  EXPECT_NE(std::string::npos, analysis.notes[0].message.find("'(c+)+'"));
  const PatternAnalysis word = AnalysePattern(u"\\w+");
  ASSERT_EQ(1u, word.notes.size());
  EXPECT_NE(std::string::npos, word.notes[0].message.find("\\c+"));
}

struct EverythingCase {
  const char16_t* pattern;
  bool everything;
  const char16_t* refused;  // an address it does not match, when it does not match all
};

// clang-format off
const EverythingCase kEverything[] = {
    {u"x*", true, nullptr},
    {u"()", true, nullptr},
    {u"(a|)", true, nullptr},   // compiles as ()
    {u".*", true, nullptr},
    {u"^", true, nullptr},
    {u"a?", true, nullptr},
    {u"(a|b*)", true, nullptr},
    {u"(x*)?y*", true, nullptr},
    {u"{a*}b?", true, nullptr},
    {u"x+", false, u"http://a/"},
    {u"a*b", false, u"http://a/"},
    {u"!h", false, u"hhh"},  // classed like h; consumes nothing, but depends on the input
    {u"$", false, u"http://a/"},
    {u"^x*y", false, u"http://a/"},
};
// clang-format on

TEST(PatternAnalysisTest, FindsPatternsThatMatchEveryAddress) {
  const std::u16string addresses[] = {u"http://a/", u"x", u"https://example.com/?q=1", u"é"};
  for (const EverythingCase& c : kEverything) {
    SCOPED_TRACE(Utf8(c.pattern));
    const PatternAnalysis analysis = AnalysePattern(c.pattern);
    ASSERT_EQ(PatternError::kOk, analysis.error);
    EXPECT_EQ(c.everything, analysis.matches_everything);
    MatchState state;
    if (c.everything) {
      for (const std::u16string& address : addresses) {
        EXPECT_TRUE(MatchPattern(*analysis.program, address, &state)) << Utf8(address);
      }
    } else {
      EXPECT_FALSE(MatchPattern(*analysis.program, c.refused, &state));
    }
  }
}

// The classification is the compiler's own: a pattern that may be empty is exactly one that
// "*" refuses with EmptyRepeat.
TEST(PatternAnalysisTest, MayBeEmptyIsTheCompilersClassing) {
  const char16_t* patterns[] = {u"a",   u"a*",  u"a?b",   u"(a|b*)", u"!a",   u"{}",
                                u"\\w", u"a+",  u"$",     u"(a*b)",  u"x|()", u"[^a]?",
                                u"a*?", u"\\q", u"(ab)?", u".",      u"\\0"};
  for (const char16_t* pattern : patterns) {
    SCOPED_TRACE(Utf8(pattern));
    const PatternAnalysis analysis = AnalysePattern(pattern);
    UrlPattern starred;
    const PatternError error = CompilePattern(u"(" + std::u16string(pattern) + u")*", &starred);
    if (analysis.error != PatternError::kOk) {
      continue;  // "\0" names no group
    }
    EXPECT_EQ(analysis.may_be_empty, error == PatternError::kEmptyRepeat);
  }
}

struct NoteCase {
  const char16_t* pattern;
  std::vector<PatternIssue> issues;
  std::vector<size_t> positions;
};

// clang-format off
const NoteCase kNotes[] = {
    {u"abc)def", {PatternIssue::kIgnoredText}, {3}},
    {u"xa|", {PatternIssue::kIgnoredText}, {1}},
    {u"ab!", {PatternIssue::kIgnoredText}, {2}},
    {u"*.exe", {PatternIssue::kLiteralOperator}, {0}},
    {u"a**", {PatternIssue::kLiteralOperator}, {2}},
    {u"a||b", {PatternIssue::kSingleTermAlternation, PatternIssue::kLiteralOperator}, {0, 2}},
    {u"a$b", {PatternIssue::kLiteralDollar}, {1}},
    {u"^^x", {PatternIssue::kLiteralCaret}, {1}},
    {u"x(^y)", {PatternIssue::kLiteralCaret}, {2}},
    {u"abc|def", {PatternIssue::kSingleTermAlternation}, {2}},
    // Escaped, first, last, or in a class: as meant.
    {u"^a\\$\\*\\^[$^*]$", {}, {}},
    {u"(abc)|(def)", {}, {}},
    {u"a|b", {}, {}},
    {u"\\.((exe)|(msi))$", {}, {}},
};
// clang-format on

TEST(PatternAnalysisTest, NotesWhatReadsOtherwiseThanItLooks) {
  for (const NoteCase& c : kNotes) {
    SCOPED_TRACE(Utf8(c.pattern));
    const PatternAnalysis analysis = AnalysePattern(c.pattern);
    ASSERT_EQ(PatternError::kOk, analysis.error);
    EXPECT_EQ(c.issues, IssuesOf(analysis));
    std::vector<size_t> positions;
    for (const PatternNote& note : analysis.notes) {
      positions.push_back(note.position);
    }
    EXPECT_EQ(c.positions, positions);
  }
}

TEST(PatternAnalysisTest, EffectiveTextIsWhatCompiles) {
  const char16_t* patterns[] = {u"abc)def", u"xa|b|", u"(a|)b", u"ab!", u"x(a|)|"};
  const char16_t* effective[] = {u"abc", u"x", u"()b", u"ab", u"x"};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(Utf8(patterns[i]));
    const PatternAnalysis analysis = AnalysePattern(patterns[i]);
    EXPECT_EQ(Utf8(effective[i]), Utf8(analysis.effective));
    UrlPattern plain;
    ASSERT_EQ(PatternError::kOk, CompilePattern(analysis.effective, &plain));
    EXPECT_EQ(DumpProgram(plain.instructions()), DumpProgram(analysis.program->instructions()));
  }
}

// The words the single-term warning proposes mean what the author meant.
TEST(PatternAnalysisTest, ProposedWordChoiceMatchesEachWord) {
  const PatternAnalysis analysis = AnalysePattern(u"\\.com|\\.org|\\.net");
  ASSERT_EQ(1u, analysis.notes.size());
  const std::string& message = analysis.notes[0].message;
  const std::string proposed = message.substr(message.rfind(' ') + 1);
  EXPECT_EQ("(\\.com)|(\\.org)|(\\.net)", proposed);
  UrlPattern words;
  ASSERT_EQ(PatternError::kOk, CompilePattern(FromUtf8(proposed), &words));
  MatchState state;
  for (const char16_t* address : {u"x.com", u"x.org", u"x.net"}) {
    EXPECT_TRUE(MatchPattern(words, address, &state)) << Utf8(address);
    EXPECT_FALSE(MatchPattern(*analysis.program, address, &state)) << Utf8(address);
  }
}

TEST(PatternAnalysisTest, BadPatternGetsNoNotes) {
  const PatternAnalysis analysis = AnalysePattern(u"(a+)+[z-a]");
  EXPECT_EQ(PatternError::kBadRange, analysis.error);
  EXPECT_EQ(8u, analysis.stop);
  EXPECT_TRUE(analysis.notes.empty());
}

// One analyser, its room reused from pattern to pattern, analyses each as AnalysePattern
// does; without its checks, only the notes of the checks are missing.
TEST(PatternAnalysisTest, AnalyserGivesEachPatternItsOwnAnalysis) {
  PatternAnalyser analyser;
  for (const char16_t* pattern : {u"(a+)+x", u"^https?://ads\\.example/", u"[z-a]", u"(a)\\1b)c",
                                  u"plain", u"abc|def", u"^https?://ads"}) {
    SCOPED_TRACE(Utf8(pattern));
    const PatternAnalysis alone = AnalysePattern(pattern);
    for (const bool run_checks : {true, false}) {
      const PatternAnalysis reused = analyser.Analyse(pattern, run_checks);
      EXPECT_EQ(alone.error, reused.error);
      EXPECT_EQ(alone.stop, reused.stop);
      EXPECT_EQ(alone.anchored, reused.anchored);
      EXPECT_EQ(Utf8(alone.effective), Utf8(reused.effective));
      EXPECT_EQ(Utf8(alone.literal.text), Utf8(reused.literal.text));
      EXPECT_EQ(alone.runs.size(), reused.runs.size());
      EXPECT_EQ(DumpProgram(alone.program->instructions()),
                DumpProgram(reused.program->instructions()));
      std::vector<PatternIssue> expected = IssuesOf(alone);
      if (!run_checks) {
        expected.erase(
            std::remove_if(expected.begin(), expected.end(),
                           [](PatternIssue i) { return i != PatternIssue::kIgnoredText; }),
            expected.end());
      }
      EXPECT_EQ(expected, IssuesOf(reused));
    }
  }
}

TEST(PatternAnalysisTest, HugePatternIsAnalysedQuickly) {
  std::u16string pattern;
  for (int i = 0; i < 20000; ++i) {
    pattern += u"(a|b)*c|[^x-y]";
  }
  pattern += u"(x+)+";
  const PatternAnalysis analysis = AnalysePattern(pattern);
  EXPECT_EQ(PatternError::kOk, analysis.error);
  ASSERT_EQ(1u, analysis.notes.size());
  EXPECT_EQ(PatternIssue::kRunawayRepeat, analysis.notes[0].issue);
}

struct HostCase {
  const char16_t* rule;  // an allow rule's pattern
  bool applies;
  const char16_t* host;
};

// clang-format off
const HostCase kHosts[] = {
    {u"example.com", true, u"example.com"},
    {u"example\\.com", true, u"example.com"},
    {u"www\\.example\\.com/catalogue", true, u"www.example.com"},
    {u"https://example\\.com", true, u"example.com"},
    {u"^https?://example\\.com", true, u"example.com"},       // not ended: example.com.evil.test
    {u"^https?://([a-z0-9-]+\\.)*example\\.com![^/?#]", false, u""},
    {u"^https://example\\.com/", false, u""},
    {u"/intranet/", false, u""},
    {u"/docs/index.html", false, u""},                        // a file name, not a host
    {u"192\\.168\\.1\\.10", true, u"192.168.1.10"},
};
// clang-format on

// One scratch state serves every rule in turn, as in a lint of a long list.
TEST(HostRuleAdviceTest, FindsAllowRulesAnotherSiteCanSatisfy) {
  MatchState scratch;
  for (const HostCase& c : kHosts) {
    SCOPED_TRACE(Utf8(c.rule));
    const PatternAnalysis analysis = AnalysePattern(c.rule);
    const HostRuleAdvice advice = AdviseHostRule(analysis, c.rule, &scratch);
    EXPECT_EQ(c.applies, advice.applies);
    EXPECT_EQ(Utf8(c.host), Utf8(advice.host));
    MatchState state;
    for (const std::u16string& address : advice.hostile) {
      EXPECT_TRUE(MatchPattern(*analysis.program, address, &state)) << Utf8(address);
    }
    if (advice.applies) {
      EXPECT_FALSE(advice.suggestion.empty());
    }
  }
}

// The anchored form the advice gives, checked against the real matcher, for the ends of a
// site's address; its text, and the addresses of other sites it refuses, are checked
// through the linter's message and through CheckURL where lint's form meets import's.
TEST(HostRuleAdviceTest, SuggestedFormAllowsTheSiteHoweverItsAddressEnds) {
  const HostRuleAdvice advice = AdviseHostRule(AnalysePattern(u"example.com"), u"example.com");
  ASSERT_TRUE(advice.applies);
  EXPECT_EQ(4u, advice.hostile.size());
  UrlPattern anchored;
  ASSERT_EQ(PatternError::kOk, CompilePattern(advice.suggestion, &anchored));
  MatchState state;
  for (const char16_t* address : {u"https://example.com", u"HTTPS://Shop.Example.COM/?q=1",
                                  u"https://example.com#top", u"http://example.com:8080/"}) {
    EXPECT_TRUE(MatchPattern(anchored, address, &state)) << Utf8(address);
  }
}

TEST(HostRuleAdviceTest, SuggestionKeepsAPathThatFollowsTheHost) {
  const std::u16string rule = u"example\\.com/catalogue";
  const HostRuleAdvice advice = AdviseHostRule(AnalysePattern(rule), rule);
  ASSERT_TRUE(advice.applies);
  EXPECT_EQ(u"^https?://([^/?#\\\\]*@)?([a-z0-9_\\-]+\\.)*example\\.com\\.?(:[0-9]+)?/catalogue",
            advice.suggestion);
  ASSERT_FALSE(advice.hostile.empty());
  EXPECT_EQ(u"http://evil.test/?example.com/catalogue", advice.hostile[0]);
}

struct SchemeCase {
  const char16_t* rule;    // an allow rule's pattern
  const char16_t* admits;  // the first address of another scheme it admits, or empty
};

// clang-format off
const SchemeCase kSchemes[] = {
    {u"example\\.com", u"javascript:example.com"},
    {u"https://example\\.com/", u"javascript:https://example.com/"},
    {u"/docs/", u"javascript:/docs/"},
    {u"[a-z]+", u"javascript:"},
    {u"^javascript:", u"javascript:javascript:"},
    {u"^view-source:", u"view-source:view-source:"},
    {u"^https?://([a-z0-9-]+\\.)*example\\.com![^/?#]", u""},
    {u"^https://example\\.com/", u""},
    {u"^http", u""},
    {u"^about:", u""},
    {u"[z-a]", u""},  // does not compile: it admits nothing
};
// clang-format on

TEST(HostRuleAdviceTest, FindsAllowRulesThatAdmitOtherSchemes) {
  MatchState scratch;
  for (const SchemeCase& c : kSchemes) {
    SCOPED_TRACE(Utf8(c.rule));
    const PatternAnalysis analysis = AnalysePattern(c.rule);
    const std::vector<std::u16string> admitted = UnsafeSchemeAddresses(analysis, &scratch);
    EXPECT_EQ(Utf8(c.admits), admitted.empty() ? "" : Utf8(admitted[0]));
    MatchState state;
    for (const std::u16string& address : admitted) {
      EXPECT_TRUE(MatchPattern(*analysis.program, address, &state)) << Utf8(address);
    }
  }
}

}  // namespace
}  // namespace zelk::tools
