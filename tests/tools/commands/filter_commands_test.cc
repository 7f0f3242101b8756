// zelkctl lint, explain-pattern and denied-page's usage end to end, through RunZelkctl in this
// process, with their output captured.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/temp_folder_test.h"
#include "tests/support/test_support.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "urlfilter/pattern/compiler.h"

namespace zelk::tools {
namespace {

// A text as a JSON string holds it: quotes and backslashes escaped (lint's messages hold
// no control characters).
std::string Quoted(const std::string& text) {
  std::string quoted;
  for (const char c : text) {
    quoted += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
  }
  return quoted;
}

using LintCommandTest = zelk::testing::TempFolderTest;

TEST_F(LintCommandTest, PrintsFindingsInCompilerForm) {
  const std::string path = temp_.Write("filter.txt", "; rules\r\n-[z-a]\r\nall\r\n+all\r\n");
  const Output run = Zelkctl({"lint", path});
  EXPECT_EQ(kExitFindings, run.status);
  const std::vector<std::string> expected = {
      path +
          ":2:5: error: the pattern does not compile (BadRange): every address that "
          "reaches this line is refused, and no later rule is looked at",
      path +
          ":3:1: warning: 'all' without a mark is not a default rule: its 'a' is taken as "
          "a deny mark, so this line is a deny rule for the pattern 'll'; write +all or -all",
      path + ": 1 error(s), 1 warning(s)",
  };
  EXPECT_EQ(expected, Lines(run.out));
}

TEST_F(LintCommandTest, ExitStatusFollowsTheFindings) {
  const struct {
    const char* bytes;
    int status;
  } cases[] = {
      {"+all\n-casino\n;expect deny http://casino/\n", kExitOk},
      {"+all\n-casino\n;expect allow http://casino/\n", kExitFindings},
      {"all\n", kExitOk},  // warnings only
      {"", kExitOk},
      {"-(\n", kExitFindings},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(c.status, Zelkctl({"lint", temp_.Write("f.txt", c.bytes)}).status);
  }
}

TEST_F(LintCommandTest, BadUsageAndUnreadableFilesAreUsageErrors) {
  EXPECT_EQ(kExitUsage, Zelkctl({"lint"}).status);
  EXPECT_EQ(kExitUsage, Zelkctl({"lint", "a.txt", "b.txt"}).status);
  const Output missing = Zelkctl({"lint", Path("missing.txt")});
  EXPECT_EQ(kExitUsage, missing.status);
  EXPECT_NE(std::string::npos, missing.err.find("cannot read"));
  EXPECT_EQ(kExitUsage, Zelkctl({"lint", temp_.path().u8string()}).status);
}

// The bytes are read as the library reads them: Ctrl-Z ends the file, a lone CR stays.
TEST_F(LintCommandTest, ReadsTheFileAsTheLibraryDoes) {
  const std::string path = temp_.Write("f.txt", std::string("+all\n-a\rb\n\x1a-[z-a]\n", 17));
  const Output run = Zelkctl({"lint", path});
  EXPECT_EQ(kExitOk, run.status) << run.out;
  EXPECT_EQ(path + ": 0 error(s), 0 warning(s)", Lines(run.out).back());
}

// Every finding and expectation with its fields, in JSON that a JSON reader accepts.
TEST_F(LintCommandTest, JsonHoldsEveryFindingAndExpectation) {
  const std::string path =
      temp_.Write("filter.txt",
                  "\xef\xbb\xbf; \"quoted\" \\ rules\n+example.com\n-\tx\n-[z-a]\n;expect allow "
                  "http://example.com/\n;expect deny http://example.com/\n");
  const Output run = Zelkctl({"lint", "--json", path});
  EXPECT_EQ(kExitFindings, run.status);
  const LintReport report = LintFilterLines(
      {u"\u00ef\u00bb\u00bf; \"quoted\" \\ rules", u"+example.com", u"-\tx", u"-[z-a]",
       u";expect allow http://example.com/", u";expect deny http://example.com/"});
  ASSERT_EQ(6u, report.findings.size());
  std::vector<std::string> parts = {
      "\"file\": \"" + Quoted(path) + "\",\n  \"errors\": 2,\n  \"warnings\": 4,",
      "'\xC2\xBB\xC2\xBF; \\\"quoted\\\" \\\\ rules'",
      R"({"line": 5, "expect": "allow", "url": "http://example.com/", "result": "allow", )"
      R"("passed": true, "explanation": "line 2 (+example.com) allows it")",
      R"({"line": 6, "expect": "deny", "url": "http://example.com/", "result": "allow", )"
      R"("passed": false, "explanation": "line 2 (+example.com) allows it")"};
  for (const LintFinding& f : report.findings) {
    parts.push_back("\"line\": " + std::to_string(f.line) +
                    ", \"column\": " + std::to_string(f.column) + ", \"severity\": \"" +
                    (f.severity == Severity::kError ? "error" : "warning") + "\", \"check\": \"" +
                    f.check + "\", \"message\": \"" + Quoted(f.message) + "\"}");
  }
  for (const std::string& part : parts) {
    EXPECT_NE(std::string::npos, run.out.find(part)) << part << "\nin\n" << run.out;
  }
#ifndef _WIN32
  if (std::system("command -v python3 >/dev/null 2>&1") == 0) {
    const std::string json = temp_.Write("lint.json", run.out);
    const std::string read =
        "python3 -c 'import json,sys; json.load(open(sys.argv[1]))' '" + json + "'";
    EXPECT_EQ(0, std::system(read.c_str())) << run.out;
  }
#endif
}

TEST(ExplainPatternCommandTest, ListsTheProgramOneInstructionPerLine) {
  for (const char* pattern : {"ab|cd", "^{a+}\\0$", "[^\\t]x?"}) {
    SCOPED_TRACE(pattern);
    const Output run = Zelkctl({"explain-pattern", pattern});
    EXPECT_EQ(kExitOk, run.status);
    UrlPattern compiled;
    ASSERT_EQ(PatternError::kOk, CompilePattern(FromUtf8(pattern), &compiled));
    // The listing lines, joined as DumpProgram joins them, give DumpProgram's listing.
    std::string joined;
    for (const std::string& line : Lines(run.out)) {
      const size_t first = line.find_first_not_of(' ');
      if (first != std::string::npos && std::isdigit(static_cast<unsigned char>(line[first]))) {
        const size_t gap = line.find("  ", first);
        joined += (joined.empty() ? "" : " | ") + line.substr(first, gap - first) + " " +
                  line.substr(gap + 2);
      }
    }
    EXPECT_EQ(DumpProgram(compiled.instructions()), joined);
  }
}

TEST(ExplainPatternCommandTest, ClassifiesAndNotes) {
  const struct {
    const char* pattern;
    const char* line;  // a line the output must hold
  } cases[] = {
      {"a*", "may be empty: yes"},
      {"a+", "may be empty: no"},
      {"x*", "matches every address: yes"},
      {"^abc", "anchored:     yes"},
      {"abc)def", "compiles:     yes, as 'abc'"},
      {"(a+)+", "note: column 1: the repeats nested in '(a+)+'"},
      {"+abc", "(the pattern is taken without a mark: here the leading '+' is part of it)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    const Output run = Zelkctl({"explain-pattern", c.pattern});
    EXPECT_EQ(kExitOk, run.status);
    EXPECT_NE(std::string::npos, run.out.find(c.line)) << run.out;
  }
}

TEST(ExplainPatternCommandTest, PointsAtWhereReadingStopped) {
  const Output run = Zelkctl({"explain-pattern", "ab[z-a]"});
  EXPECT_EQ(kExitFindings, run.status);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ("compiles:     no, BadRange (reading stopped at column 6)", lines[1]);
  EXPECT_EQ("  ab[z-a]", lines[2]);
  EXPECT_EQ("       ^", lines[3]);
  EXPECT_EQ(kExitUsage, Zelkctl({"explain-pattern"}).status);
  EXPECT_EQ(kExitUsage, Zelkctl({"explain-pattern", "a", "b"}).status);
}

TEST(FilterCommandsHelpTest, EachCommandDescribesItself) {
  for (const char* command : {"lint", "denied-page", "explain-pattern"}) {
    SCOPED_TRACE(command);
    const Output run = Zelkctl({command, "--help"});
    EXPECT_EQ(kExitOk, run.status);
    EXPECT_EQ(0u, run.out.find(std::string("usage: zelkctl ") + command + " "));
    EXPECT_EQ(2u, Lines(run.out).size());
  }
}

}  // namespace
}  // namespace zelk::tools
