#include "tools/zelkctl/lint/filter_lint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tools/zelkctl/lint/pattern_analysis.h"

namespace zelk::tools {
namespace {

using testing::Utf8;

// "line:column severity check" for each finding, in report order.
std::vector<std::string> Summary(const LintReport& report) {
  std::vector<std::string> lines;
  for (const LintFinding& f : report.findings) {
    lines.push_back(std::to_string(f.line) + ":" + std::to_string(f.column) + " " +
                    (f.severity == Severity::kError ? "error " : "warning ") + f.check);
  }
  return lines;
}

const LintFinding* FindingAt(const LintReport& report, size_t line, const std::string& check) {
  for (const LintFinding& f : report.findings) {
    if (f.line == line && f.check == check) {
      return &f;
    }
  }
  return nullptr;
}

// One line per finding; the comment after each names what the next line shows.
const std::vector<std::u16string> kEveryFinding = {
    u"; kiosk rules",                 // 1
    u"-[z-a]x",                       // 2 compile error at the bad range
    u"all",                           // 3 "all" without a mark: deny rule for "ll"
    u"\\.exe$",                       // 4 a pattern that lost its "\" to the mark
    u"+ all",                         // 5 a pattern, not a default rule
    u"-all",                          // 6 overridden by the last default rule
    u"-casino",                       // 7
    u"-CASINO",                       // 8 same pattern as line 7
    u"-abc)def",                      // 9 text ignored after ")"
    u"-(x+)*y",                       // 10 nested repeats
    u"+example.com",                  // 11 host anywhere in the address
    u"   -  spaced",                  // 12 the blank is part of the pattern
    u"# not a comment",               // 13
    u"-*.zip",                        // 14 "*" where an atom is expected
    u"-ab|cd",                        // 15 "|" binds single terms
    u"+",                             // 16 a mark alone
    u"-casino-royale",                // 17 covered by line 7's literal
    u";expect frobnicate http://x/",  // 18 malformed expectation
    u"+all",                          // 19 the default rule that counts
};

TEST(FilterLintTest, ReportsOneFindingPerLine) {
  const LintReport report = LintFilterLines(kEveryFinding);
  const std::vector<std::string> expected = {
      "2:5 error compile-error",
      "3:1 warning mark",
      "4:1 warning mark",
      "5:1 warning never-decides",  // line 3's "ll" is inside " all"
      "5:2 warning spaced-default",
      "5:2 warning unsafe-scheme",  // " all" also matches "javascript: all"
      "6:1 warning default-rule",
      "8:1 warning never-decides",
      "9:5 warning ignored-text",
      "10:2 warning runaway",
      "11:2 warning hostile-allow",
      "11:2 warning unsafe-scheme",
      "12:5 warning leading-blank",
      "13:1 warning mark",
      "14:2 warning literal-operator",
      "15:3 warning single-term-alternation",
      "16:1 warning mark-only",
      "17:1 warning never-decides",
      "18:1 error expect",
  };
  EXPECT_EQ(expected, Summary(report));
  EXPECT_TRUE(report.HasErrors());
  EXPECT_EQ(2u, report.CountOf(Severity::kError));
}

struct MessageCase {
  size_t line;
  const char* check;
  const char* words;  // must appear in the message
};

const MessageCase kMessages[] = {
    {2, "compile-error", "(BadRange)"},
    {3, "mark", "deny rule for the pattern 'll'"},
    {4, "mark", "deny rule for the pattern '.exe$'"},
    {5, "spaced-default", "pattern rule for ' all'"},
    {6, "default-rule", "(line 19)"},
    {8, "never-decides", "line 7 (-casino)"},
    {9, "ignored-text", "compiles as 'abc'"},
    {11, "hostile-allow", "http://evil.test/?example.com"},
    {11, "hostile-allow",
     "+^https?://([^/?#\\\\]*@)?([a-z0-9_\\-]+\\.)*example\\.com\\.?(:[0-9]+)?![^/?#]"},
    {11, "unsafe-scheme", "such as javascript:example.com and vbscript:example.com"},
    {11, "unsafe-scheme", "anchor it to http and https: to allow only that site write +^https?://"},
    {13, "mark", "does not start a comment"},
    {17, "never-decides", "line 7 (-casino)"},
};

TEST(FilterLintTest, MessagesSayWhatTheLibraryWillDo) {
  const LintReport report = LintFilterLines(kEveryFinding);
  for (const MessageCase& c : kMessages) {
    SCOPED_TRACE(std::to_string(c.line) + " " + c.check);
    const LintFinding* finding = FindingAt(report, c.line, c.check);
    ASSERT_NE(nullptr, finding);
    EXPECT_NE(std::string::npos, finding->message.find(c.words)) << finding->message;
  }
}

// Rules of one shape are compiled once and the others' programs derived: a rule that
// differs from an earlier one only in the case of its host is still found covered.
TEST(FilterLintTest, RulesOfOneShapeAreFoundCoveredAsAnyOther) {
  const std::vector<std::u16string> lines = {
      u"-^https?://ads\\.example/", u"-^https?://cdn\\.example/",   u"-^https?://pixel\\.example/",
      u"-^https?://CDN\\.example/", u"-^https?://cdn\\.example/.*",
  };
  const LintReport report = LintFilterLines(lines);
  ASSERT_EQ(std::vector<std::string>{"4:1 warning never-decides"}, Summary(report));
  EXPECT_NE(std::string::npos, report.findings[0].message.find("line 2 "))
      << report.findings[0].message;
}

// Allow rules of one shape are matched against their probe addresses each with its own
// program: every rule gets the advice it gets alone, naming its own host, and only the rule
// whose own characters admit a script address is warned of it.
TEST(FilterLintTest, AllowRulesOfOneShapeGetTheAdviceTheyGetAlone) {
  struct Group {
    std::vector<std::u16string> lines;
    size_t findings;
  };
  const Group groups[] = {
      {{u"+www\\.alpha\\.com/.*", u"+www\\.gamma\\.com/.*", u"+www\\.delta\\.com/.*",
        u"+www\\.omega\\.com/.*", u"+www\\.sigma\\.com/.*"},
       10},  // each allows other sites and script addresses
      {{u"+^javascripa.*", u"+^javascripb.*", u"+^javascripc.*", u"+^javascript.*",
        u"+^javascripd.*"},
       1},  // only the fourth admits a script address
  };
  for (const Group& group : groups) {
    const LintReport report = LintFilterLines(group.lines);
    EXPECT_EQ(group.findings, report.findings.size());
    for (size_t i = 0; i < group.lines.size(); ++i) {
      SCOPED_TRACE(Utf8(group.lines[i]));
      for (const LintFinding& f : LintFilterLines({group.lines[i]}).findings) {
        const LintFinding* in_list = FindingAt(report, i + 1, f.check);
        ASSERT_NE(nullptr, in_list) << f.check;
        EXPECT_EQ(f.message, in_list->message);
      }
    }
  }
}

// The lines held as one text, as zelkctl reads a file, give the report the lines give.
TEST(FilterLintTest, LinesHeldAsOneTextGiveTheSameReport) {
  for (const bool json : {false, true}) {
    const LintReport from_lines = LintFilterLines(kEveryFinding);
    const LintReport from_text = LintFilterTexts(LineTexts(kEveryFinding));
    EXPECT_EQ(FormatLintReport("f", from_lines, json), FormatLintReport("f", from_text, json));
  }
}

TEST(FilterLintTest, CleanFileHasNoFindings) {
  const std::vector<std::u16string> lines = {
      u"; catalogue kiosk",
      u"",
      u"-\\.((exe)|(msi)|(zip))$",
      u"+^https?://([a-z0-9-]+\\.)*citylibrary\\.example![^/?#]",
      u"+^https://catalogue\\.citylibrary\\.example/",
      u"+^about:blank$",
      u"  -all  ",
      u";expect allow https://www.citylibrary.example/opening-hours",
      u";expect deny https://www.citylibrary.example/setup.EXE",
      u";expect deny http://evil.test/?citylibrary.example",
      u";expect allow about:blank",
      u"; comments may say anything, even expected results",
  };
  const LintReport report = LintFilterLines(lines);
  EXPECT_EQ(std::vector<std::string>(), Summary(report));
  ASSERT_EQ(4u, report.expectations.size());
  for (const ExpectationResult& result : report.expectations) {
    EXPECT_TRUE(result.passed) << Utf8(result.url) << ": " << result.explanation;
  }
  EXPECT_FALSE(report.HasErrors());
}

struct ExpectCase {
  std::vector<std::u16string> lines;
  size_t error_line;  // 0 when every expectation passes
  const char* message;
};

const ExpectCase kExpectations[] = {
    {{u"+all", u"-casino", u";expect deny http://x/Casino/y"}, 0, ""},
    {{u"+all", u"-casino", u";expect allow http://casino.test/"},
     3,
     "expected allow for http://casino.test/ but line 2 (-casino) refuses it"},
    {{u"-all", u"+^about", u";expect allow http://about.test/"},
     3,
     "expected allow for http://about.test/ but no pattern matches it and the default rule "
     "on line 1 (-all) refuses it"},
    {{u"+x", u";EXPECT DENY  http://y/"}, 0, ""},
    {{u"+x", u";expect allow http://y/"},
     2,
     "but no pattern matches it, and without a default rule it is refused"},
    {{u";expect deny http://a/", u"+a", u"-[z-a]"}, 1, "line 2 (+a) allows it"},
    {{u"+intranet", u"-[z-a]", u"+all", u";expect allow http://other/"},
     4,
     "line 2 (-[z-a]) does not compile (BadRange), which refuses it"},
    {{u";expect allow"}, 1, "an expectation reads"},
    {{u";expected: nothing"}, 0, ""},
};

TEST(FilterLintTest, RunsTheFilesOwnExpectations) {
  for (const ExpectCase& c : kExpectations) {
    SCOPED_TRACE(Utf8(c.lines.back()));
    const LintReport report = LintFilterLines(c.lines);
    if (c.error_line == 0) {
      EXPECT_FALSE(report.HasErrors());
      continue;
    }
    const LintFinding* finding = FindingAt(report, c.error_line, "expect");
    ASSERT_NE(nullptr, finding);
    EXPECT_EQ(Severity::kError, finding->severity);
    EXPECT_NE(std::string::npos, finding->message.find(c.message)) << finding->message;
  }
}

// A rule that runs away on the expectation's address is stopped by the check's own budget
// (its back-reference makes the check backtrack plainly).
TEST(FilterLintTest, RunawayRuleCannotHoldTheLinter) {
  const std::u16string address = u"http://x/" + std::u16string(60, u'a') + u"/b";
  const std::vector<std::u16string> lines = {u"-x/{y}?({a}|a)*\\0b", u"+all",
                                             u";expect allow " + address};
  // How quickly this runs is for a benchmark to say; here a linter that hung would be
  // stopped by the test's time-out.
  const LintReport report = LintFilterLines(lines);
  const LintFinding* finding = FindingAt(report, 3, "expect");
  ASSERT_NE(nullptr, finding);
  EXPECT_NE(std::string::npos, finding->message.find("ran out of its budget at line 1"));
  EXPECT_NE(nullptr, FindingAt(report, 1, "runaway"));
  // A repeat of a run of one set is scanned, back-reference or not: no claim of slowness.
  const LintReport scanned = LintFilterLines({u"-x/{y}?(a|(a))*\\0b", u"+all"});
  const LintFinding* note = FindingAt(scanned, 1, "runaway");
  ASSERT_NE(nullptr, note);
  EXPECT_NE(std::string::npos, note->message.find("reads it as one run"));
}

// Small files and every finding each one gives.
TEST(FilterLintTest, SmallFilesGiveExactlyTheirFindings) {
  const struct {
    std::vector<std::u16string> lines;
    std::vector<std::string> findings;
  } cases[] = {
      // A byte order mark becomes part of the first rule.
      {{u"\u00ef\u00bb\u00bf; rules", u"+all"}, {"1:1 warning byte-order-mark"}},
      {{u"\u00ff\u00fe;", u"+all"}, {"1:1 warning byte-order-mark"}},
      // A line of only a mark is ignored, whatever the mark.
      {{u"+", u"  *  ", u"-all"}, {"1:1 warning mark-only", "2:3 warning mark-only"}},
      // A pattern that matches everything hides later rules and defaults.
      {{u"+all", u"-x*", u"-casino", u"+^about"},
       {"1:1 warning never-decides", "2:2 warning matches-everything", "3:1 warning never-decides",
        "4:1 warning never-decides"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.lines[0]));
    EXPECT_EQ(c.findings, Summary(LintFilterLines(c.lines)));
  }
  const LintReport report = LintFilterLines({u"\u00ef\u00bb\u00bf; rules", u"+all"});
  EXPECT_NE(std::string::npos, report.findings[0].message.find("'\u00bb\u00bf; rules'"));
}

TEST(FilterLintTest, LiteralCoverRespectsAnchors) {
  // Each pair: is the second rule covered by the first?
  const struct {
    const char16_t* first;
    const char16_t* second;
    bool covered;
  } pairs[] = {
      {u"-casino", u"-online-casino$", true},
      {u"-^http:", u"-^http://x", true},
      {u"-^http:", u"-x^http:", false},
      {u"-\\.exe$", u"-setup\\.exe$", true},
      {u"-\\.exe$", u"-\\.exe/", false},
      {u"-^ab$", u"-^ab$", true},
      {u"-^ab$", u"-^abc$", false},
      {u"-casino", u"-(casino)", true},
      {u"-casino", u"-casin", false},
      {u"-ab", u"-^ab", true},
      // Not literals: the same program, with the anchor of each as its reading says.
      {u"-a.c", u"-^a.c", true},
      {u"-^a.c", u"-a.c", false},
      {u"-^a.c", u"-^A.C", true},
      {u"-a.c", u"-a.d", false},
  };
  for (const auto& pair : pairs) {
    SCOPED_TRACE(Utf8(pair.first) + " then " + Utf8(pair.second));
    const LintReport report = LintFilterLines({pair.first, pair.second});
    EXPECT_EQ(pair.covered, FindingAt(report, 2, "never-decides") != nullptr);
  }
}

TEST(FilterLintTest, LongLinesAreLintedAndQuotedInPart) {
  std::vector<std::u16string> lines;
  for (int i = 0; i < 2000; ++i) {
    lines.push_back(u"-word" + std::u16string(200, static_cast<char16_t>(u'a' + i % 26)));
  }
  lines.push_back(u"-" + std::u16string(100000, u'q'));
  lines.push_back(u"z" + std::u16string(100000, u'q'));
  // How quickly this runs is for a benchmark to say; here a linter that hung on long
  // lines would be stopped by the test's time-out.
  const LintReport report = LintFilterLines(lines);
  EXPECT_NE(nullptr, FindingAt(report, 27, "never-decides"));  // repeats line 1
  // Messages quote a huge line only in part.
  const LintFinding* mark = FindingAt(report, 2002, "mark");
  ASSERT_NE(nullptr, mark);
  EXPECT_LT(mark->message.size(), 3 * kDisplayLimit + 300);
  EXPECT_NE(std::string::npos, mark->message.find("qqq..."));
}

// In a long list a rule with no literal text is matched against every address; in a short
// one that costs nothing worth a warning.
TEST(FilterLintTest, WarnsOfARuleWithNoLiteralTextOnlyInALongList) {
  for (const size_t rules : {size_t{10}, size_t{1001}}) {
    SCOPED_TRACE(rules);
    std::vector<std::u16string> lines;
    for (size_t i = 0; i + 1 < rules; ++i) {
      lines.push_back(u"-/w" + FromUtf8(std::to_string(i)) + u"/");
    }
    lines.push_back(u"-[a-z]+\\d");
    lines.push_back(u"+all");
    const LintReport report = LintFilterLines(lines);
    const LintFinding* finding = FindingAt(report, rules, "no-literal");
    EXPECT_EQ(rules > 1000, finding != nullptr);
    EXPECT_EQ(nullptr, FindingAt(report, 1, "no-literal"));
  }
}

}  // namespace
}  // namespace zelk::tools
