// zelkctl import end to end, through RunZelkctl in this process: files, options, the
// report on standard error and the exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder_test.h"
#include "tests/support/test_support.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/cli.h"

namespace zelk::tools {
namespace {

using zelk::testing::ReadFile;

using ImportCommandTest = zelk::testing::TempFolderTest;

TEST_F(ImportCommandTest, WritesRulesAndASummary) {
  const std::string hosts = temp_.Write("hosts", "127.0.0.1 localhost\r\n0.0.0.0 ads.example\r\n");
  const std::string policy = temp_.Write("allow.json", "\"intranet.example\",\n");
  const std::string out = Path("imported.txt");
  const Output run = Zelkctl({"import", hosts, "--allow", "--format", "policy", policy, "-o", out});
  EXPECT_EQ(kExitOk, run.status) << run.err;
  EXPECT_TRUE(run.out.empty());
  const std::string text = ReadFile(F("imported.txt"));
  const size_t allow = text.find("\n+^");
  const size_t deny = text.find("\n-^");
  ASSERT_NE(std::string::npos, allow);
  ASSERT_NE(std::string::npos, deny);
  EXPECT_LT(allow, deny);  // allow rules first
  EXPECT_NE(std::string::npos, text.find("intranet\\.example"));
  EXPECT_NE(std::string::npos, text.find(":2 (hosts, refused)"));
  EXPECT_NE(std::string::npos, run.err.find("2 rule(s) written"));
  EXPECT_NE(std::string::npos, run.err.find("1 local name(s) passed over"));

  const Output lint = Zelkctl({"lint", out});
  EXPECT_EQ(kExitOk, lint.status);
  EXPECT_NE(std::string::npos, lint.out.find("0 error(s), 0 warning(s)")) << lint.out;
}

TEST_F(ImportCommandTest, SkippedEntriesNameTheirLineAndSetTheStatus) {
  const std::string list = temp_.Write("domains.txt", "ok.example\nbad!.example\n");
  const Output run = Zelkctl({"import", "--format", "domains", list});
  EXPECT_EQ(kExitFindings, run.status);
  EXPECT_NE(std::string::npos, run.err.find("domains.txt:2: skipped: \"bad!.example\""));
  EXPECT_NE(std::string::npos, run.out.find("ok\\.example"));
  EXPECT_EQ(kExitOk, Zelkctl({"import", "--skip-unsupported", "--format", "domains", list}).status);
}

TEST_F(ImportCommandTest, FilesThatAreNoListGetAMessageEachAndNoRule) {
  const std::string binary = temp_.Write("list.bin", std::string("\x7F"
                                                                 "ELF\x02\x01\0\0ads.example\n",
                                                                 17));
  const std::string wide = temp_.Write("wide.txt", std::string("\xFF\xFE"
                                                               "a\0.\0b\0",
                                                               8));
  const std::string empty = temp_.Write("empty.txt", "");
  const Output run = Zelkctl({"import", "--format", "domains", binary, wide, empty});
  EXPECT_EQ(kExitFindings, run.status);
  EXPECT_NE(std::string::npos, run.err.find("list.bin: skipped: a binary file"));
  EXPECT_NE(std::string::npos, run.err.find("wide.txt: skipped: UTF-16"));
  EXPECT_NE(std::string::npos, run.err.find("empty.txt: skipped: the file holds no entries"));
  EXPECT_EQ(std::string::npos, run.out.find("\n-"));
}

TEST_F(ImportCommandTest, UsageErrors) {
  const std::string mixed = temp_.Write("mixed.txt", "0.0.0.0 a.example\n||b.example^\n");
  const struct {
    std::vector<std::string> args;
    const char* message;
  } kCases[] = {
      {{"import"}, "name at least one list"},
      {{"import", "--format", "csv", mixed}, "unknown format csv"},
      {{"import", "--frobnicate", mixed}, "unknown option"},
      {{"import", Path("missing")}, "cannot read"},
      {{"import", mixed}, "cannot tell the format"},
      {{"import", "--format", "hosts", mixed, "-o", temp_.path().u8string()}, "cannot write"},
  };
  for (const auto& c : kCases) {
    const Output run = Zelkctl(c.args);
    EXPECT_EQ(kExitUsage, run.status) << c.message;
    EXPECT_NE(std::string::npos, run.err.find(c.message)) << run.err;
  }
}

TEST_F(ImportCommandTest, LintProfileNamesTheCostliestRuleFirst) {
  const std::string filter = temp_.Write("filter.txt", "-casino\n-(a|b|c|d)*x.*y.*z\n+all\n");
  const std::string urls =
      temp_.Write("urls.txt", "https://abcdabcdabcd.example/xyq\nhttp://casino/\n");
  const Output run = Zelkctl({"lint", "--profile", filter, urls});
  EXPECT_EQ(kExitOk, run.status) << run.err;
  const size_t header = run.out.find("2 address(es), ");
  const size_t costly = run.out.find("-(a|b|c|d)*x.*y.*z");
  const size_t cheap = run.out.find("-casino");
  ASSERT_NE(std::string::npos, header) << run.out;
  ASSERT_NE(std::string::npos, costly);
  EXPECT_LT(costly, cheap);
  const Output json = Zelkctl({"lint", "--profile", "--json", filter, urls});
  EXPECT_NE(std::string::npos, json.out.find(R"("rules":[{"line":2,)")) << json.out;
  EXPECT_EQ(kExitUsage, Zelkctl({"lint", "--profile", filter}).status);
}

}  // namespace
}  // namespace zelk::tools
