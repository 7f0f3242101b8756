// Helpers of the profile tests: building and reading small folder trees.
#ifndef ZELK_TESTS_PROFILE_PROFILE_TEST_UTIL_H_
#define ZELK_TESTS_PROFILE_PROFILE_TEST_UTIL_H_

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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

// Sets an environment variable of the process while it lives, then restores it.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
      old_value_ = old;
    }
    Set(value.c_str());
  }
  ~ScopedEnvironmentVariable() { Set(old_value_ ? old_value_->c_str() : nullptr); }
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  // Null removes the variable.
  void Set(const char* value) {
#ifdef _WIN32
    _putenv_s(name_.c_str(), value != nullptr ? value : "");
#else
    if (value != nullptr) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
#endif
  }

  std::string name_;
  std::optional<std::string> old_value_;
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_PROFILE_PROFILE_TEST_UTIL_H_
