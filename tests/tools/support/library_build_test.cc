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

// A copy of the built library in `folder` whose build id is `id` (or that carries none
// when `id` is empty).
std::string LibraryCopy(const std::filesystem::path& folder, const std::string& id) {
  std::string bytes = testing::ReadFile(ZELK_LIBRARY_PATH);
  const std::string record = std::string(ZELK_BUILD_ID_PREFIX) + ZELK_BUILD_ID;
  for (size_t at = bytes.find(record); at != std::string::npos; at = bytes.find(record, at)) {
    const std::string replacement =
        id.empty() ? std::string(record.size(), 'x') : std::string(ZELK_BUILD_ID_PREFIX) + id;
    bytes.replace(at, record.size(), replacement);
  }
  const auto path = folder / std::filesystem::path(ZELK_LIBRARY_PATH).filename();
  testing::WriteFile(path, bytes);
  return path.u8string();
}

TEST(LibraryBuildTest, OnlyTheLibraryOfTheSameSourcesIsUsed) {
  const testing::TempFolder folder;
  const struct {
    const char* name;
    std::string library;
    const char* refusal;  // a part of zelkctl's message, or nullptr where the library is used
  } cases[] = {
      {"the library built with zelkctl", ZELK_LIBRARY_PATH, nullptr},
      {"another build", LibraryCopy(folder.path() / "other", std::string(64, 'a')),
       "is not the build this zelkctl was made with (library build aaaaaaaaaaaa,"},
      {"no build id", LibraryCopy(folder.path() / "none", ""), "(library build unknown,"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const tools::Output run = tools::Zelkctl({"--library", c.library, "check-command", "40012"});
    if (c.refusal == nullptr) {
      EXPECT_EQ(tools::kExitOk, run.status);
      EXPECT_NE(std::string::npos, run.out.find("40012"));
    } else {
      EXPECT_EQ(tools::kExitUsage, run.status);
      EXPECT_EQ("", run.out);
      EXPECT_NE(std::string::npos, run.err.find(c.refusal)) << run.err;
    }
  }
}

}  // namespace
}  // namespace zelk
