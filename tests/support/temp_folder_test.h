// The fixture of tests that work on real files in a fresh temporary folder of their own.
#ifndef ZELK_TESTS_SUPPORT_TEMP_FOLDER_TEST_H_
#define ZELK_TESTS_SUPPORT_TEMP_FOLDER_TEST_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "tests/support/test_support.h"

namespace zelk::testing {

class TempFolderTest : public ::testing::Test {
 protected:
  // A path below the folder in the library's form, and in the file system's.
  std::u16string P(std::u16string_view relative) const { return temp_.WinPath(relative); }
  std::filesystem::path F(const std::string& relative) const { return temp_.path() / relative; }
  // A path below the folder in UTF-8, as a command line names it.
  std::string Path(const char* relative) const { return F(relative).u8string(); }

  TempFolder temp_;
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_SUPPORT_TEMP_FOLDER_TEST_H_
