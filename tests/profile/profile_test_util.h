// Helpers of the profile tests: building and reading small folder trees, and a configured
// host with a profile root of its own.
#ifndef ZELK_TESTS_PROFILE_PROFILE_TEST_UTIL_H_
#define ZELK_TESTS_PROFILE_PROFILE_TEST_UTIL_H_

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/configured_host.h"
#include "tests/support/test_support.h"

namespace zelk::testing {

// Every entry below `root`, relative and with "/" separators, sorted: a folder as
// "name/", a file as "name=content".
inline std::vector<std::string> TreeOf(const std::filesystem::path& root) {
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative = entry.path().lexically_relative(root).generic_string();
    if (entry.is_directory()) {
      entries.push_back(relative + "/");
    } else {
      entries.push_back(relative + "=" + ReadFile(entry.path()));
    }
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// Creates files ("a/b.txt=content") and folders ("a/c/") below `root`.
inline void MakeTree(const std::filesystem::path& root, const std::vector<std::string>& items) {
  for (const std::string& item : items) {
    if (!item.empty() && item.back() == '/') {
      std::filesystem::create_directories(root / item);
      continue;
    }
    const size_t equals = item.find('=');
    WriteFile(root / item.substr(0, equals),
              equals == std::string::npos ? "" : item.substr(equals + 1));
  }
}

// A configured host whose profiles live below a root of the test's own.
class ProfileRootTest : public ConfiguredHostTest {
 protected:
  std::filesystem::path DefaultFolder() const {
    return root_.path() / "Chromium" / "User Data" / "Default";
  }
  // The root as zelk.ini names it.
  std::string Root() const { return Utf8(root_.WinPath()); }

  TempFolder root_;
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_PROFILE_PROFILE_TEST_UTIL_H_
