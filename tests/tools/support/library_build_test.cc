// zelkctl explains answers with its own copy of the core, so it must refuse a library that
// was built from other sources rather than explain that library's answers with other code.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/build_id.h"
#include "tests/support/test_support.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/cli.h"

namespace zelk {
namespace {

// A copy of the built library whose build id is `id` (or that carries none when `id` is
// empty), in `folder`.
std::string LibraryCopy(const testing::TempFolder& folder, const std::string& id) {
  std::string bytes = testing::ReadFile(ZELK_LIBRARY_PATH);
  const std::string record = std::string(ZELK_BUILD_ID_PREFIX) + ZELK_BUILD_ID;
  for (size_t at = bytes.find(record); at != std::string::npos; at = bytes.find(record, at)) {
    const std::string replacement =
        id.empty() ? std::string(record.size(), 'x') : std::string(ZELK_BUILD_ID_PREFIX) + id;
    bytes.replace(at, record.size(), replacement);
  }
  const auto path = folder.path() / std::filesystem::path(ZELK_LIBRARY_PATH).filename();
  testing::WriteFile(path, bytes);
  return path.u8string();
}

TEST(LibraryBuildTest, OnlyTheLibraryOfTheSameSourcesIsUsed) {
  const testing::TempFolder folder;
  const std::string other_id(64, 'a');
  struct Case {
    const char* name;
    std::string library;
    bool accepted;
  };
  const Case cases[] = {
      {"the library built with zelkctl", ZELK_LIBRARY_PATH, true},
      {"another build", LibraryCopy(folder, other_id), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const tools::Output run = tools::Zelkctl({"--library", c.library, "check-command", "40012"});
    if (c.accepted) {
      EXPECT_EQ(tools::kExitOk, run.status);
      EXPECT_NE(std::string::npos, run.out.find("40012"));
    } else {
      EXPECT_EQ(tools::kExitUsage, run.status);
      EXPECT_EQ("", run.out);
      EXPECT_NE(std::string::npos, run.err.find("is not the build this zelkctl was made with"));
      EXPECT_NE(std::string::npos, run.err.find(other_id.substr(0, 12)));
    }
  }
}

TEST(LibraryBuildTest, ALibraryWithoutABuildIdIsRefused) {
  const testing::TempFolder folder;
  const tools::Output run = tools::Zelkctl({"--library", LibraryCopy(folder, ""), "settings"});
  EXPECT_EQ(tools::kExitUsage, run.status);
  EXPECT_NE(std::string::npos, run.err.find("library build unknown"));
}

}  // namespace
}  // namespace zelk
