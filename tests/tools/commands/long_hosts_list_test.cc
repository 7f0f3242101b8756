// A public block list of real size, taken as an administrator takes it: the built zelkctl,
// in a process of its own, imports a hosts file of 150,000 entries, and the library then
// decides addresses against the imported rules followed by an allow-all rule.
#include <cstddef>
#include <string>

#include "tests/support/kiosk_folder_test.h"

namespace zelk {
namespace {

constexpr size_t kEntries = 150'000;

// Names of the kind block lists hold: a few words, numbers, many second-level domains.
std::string GeneratedHostsFile() {
  static const char* const kWords[] = {"ads", "track", "cdn", "pixel", "stats", "media", "click"};
  std::string text = "# generated block list\n127.0.0.1 localhost\n";
  for (size_t i = 0; i < kEntries; ++i) {
    text += "0.0.0.0 " + std::string(kWords[i % 7]) + "-" + std::to_string(i / 7) + ".net" +
            std::to_string(i % 97) + ".example\n";
  }
  return text;
}

using LongHostsListTest = testing::KioskFolderTest;

TEST_F(LongHostsListTest, ImportsAndDecidesWithoutError) {
  testing::WriteFile(folder().path() / "hosts", GeneratedHostsFile());
  EXPECT_EQ(0, Run("import --format hosts --deny " + kiosk_.Quoted("hosts") + " -o " +
                   kiosk_.Quoted("imported.txt"))
                   .status)
      << err_;
  EXPECT_NE(std::string::npos, err_.find("150000 rule(s) written")) << err_;
  EXPECT_EQ(std::string::npos, err_.find("too many")) << err_;

  kiosk_.InstallFilter(testing::ReadFile(folder().path() / "imported.txt") + "+all\n");
  const testing::CommandRun check =
      Run("check-url https://stats-21000.net49.example/x https://www.example.org/");
  EXPECT_EQ(0, check.status) << err_;
  EXPECT_NE(std::string::npos, check.out.find("refused  https://stats-21000.net49.example/x"))
      << check.out;
  EXPECT_NE(std::string::npos, check.out.find("allowed  https://www.example.org/")) << check.out;
  EXPECT_EQ(std::string::npos, err_.find("MessageBox")) << err_;
  EXPECT_EQ(std::string::npos, err_.find("too many")) << err_;
}

}  // namespace
}  // namespace zelk
