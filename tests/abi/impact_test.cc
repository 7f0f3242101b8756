// zelkctl impact in a process of its own, as an administrator runs it before a rollout:
// each filter file is loaded by the built library in a kiosk folder of its own.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/kiosk_folder_test.h"
#include "tests/support/registry_fixture.h"

namespace zelk {
namespace {

using testing::CommandRun;

class ImpactTest : public testing::KioskFolderTest {
 protected:
  void SetUp() override {
    KioskFolderTest::SetUp();
    kiosk_.Write("old.txt",
                 "+^https?://([a-z0-9\\-]+\\.)*news\\.example/\n"
                 "-casino\n+all\n");
    kiosk_.Write("new.txt",
                 "+^https?://([a-z0-9\\-]+\\.)*news\\.example/\n-casino\n-poker\n"
                 "+^https?://games\\.example/\n-^https?://[^/]*games\\.example/\n+all\n");
    kiosk_.Write("urls.txt",
                 "# addresses seen last week\n"
                 "https://news.example/today\n"
                 "http://x.example/casino\n"
                 "http://x.example/poker\n"
                 "\n"
                 "1700000000.1 GET https://www.games.example/ 200\n"
                 "https://games.example/\n");
  }

  // zelkctl impact with `arguments`, then the two filter files and the address file.
  CommandRun Impact(const std::string& arguments,
                    const char* old_file = "old.txt",
                    const char* new_file = "new.txt") {
    return Run("impact " + arguments + " " + kiosk_.Quoted(old_file) + " " +
               kiosk_.Quoted(new_file) + " " + kiosk_.Quoted("urls.txt"));
  }
};

TEST_F(ImpactTest, ListsTheChangedAddressesWithTheDecidingRuleOfEachFile) {
  const CommandRun run = Impact("");
  EXPECT_EQ(1, run.status) << run.out;
  EXPECT_NE(std::string::npos,
            run.out.find("allowed -> refused  http://x.example/poker\n"
                         "    old: no pattern matches it and the default rule on line 3 (+all) "
                         "allows it\n"
                         "    new: line 3 (-poker) refuses it\n"))
      << run.out;
  EXPECT_NE(std::string::npos, run.out.find("allowed -> refused  https://www.games.example/\n"))
      << run.out;
  EXPECT_NE(std::string::npos, run.out.find("5 address(es): 2 allowed -> refused, 0 refused -> "
                                            "allowed, 3 unchanged"))
      << run.out;
  EXPECT_NE(std::string::npos, run.out.find("time per check through CheckURL: old ")) << run.out;
  EXPECT_EQ(std::string::npos, run.out.find("casino")) << run.out;
}

TEST_F(ImpactTest, JsonCountsEachDirection) {
  const CommandRun run = Impact("--json");
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos,
            run.out.find(R"({"url":"http://x.example/poker","old":"allowed","new":"refused",)"))
      << run.out;
  EXPECT_NE(std::string::npos, run.out.find(R"("addresses":5,"allowed_to_refused":2,)"
                                            R"("refused_to_allowed":0,"unchanged":3,)"))
      << run.out;
}

TEST_F(ImpactTest, OnlyNewlyRefusedAddressesFailTheRun) {
  const CommandRun run = Impact("", "new.txt", "old.txt");
  EXPECT_EQ(0, run.status) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("0 allowed -> refused, 2 refused -> allowed"))
      << run.out;
  EXPECT_EQ(2, Impact("", "old.txt", "missing.txt").status);
}

#ifndef _WIN32
TEST_F(ImpactTest, ARegistryThatOverridesTheFilterFileStopsTheComparison) {
  testing::ScopedRegistry registry;  // the .reg file that zelkctl's process inherits
  registry.SetString(platform::RegistryHive::kCurrentUser, u"Files", u"CheckURLFile",
                     u"/elsewhere/filter.txt");
  const CommandRun run = Impact("");
  EXPECT_EQ(2, run.status);
  EXPECT_NE(std::string::npos, err_.find("a registry value overrides CheckURLFile")) << err_;
  EXPECT_EQ(std::string::npos, err_.find("MessageBox")) << err_;
  EXPECT_EQ(std::string::npos, run.out.find("address(es)")) << run.out;
}
#endif

}  // namespace
}  // namespace zelk
