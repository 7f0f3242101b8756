// A kiosk folder of its own for each test, holding the built library and zelkctl side by
// side as an administrator installs them; zelkctl runs there in a process of its own.
#ifndef ZELK_TESTS_ABI_KIOSK_FOLDER_TEST_H_
#define ZELK_TESTS_ABI_KIOSK_FOLDER_TEST_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/test_support.h"

namespace zelk::testing {

class KioskFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path library = BuiltFile(ZELK_LIBRARY_PATH);
    const std::filesystem::path tool = BuiltFile(ZELKCTL_PATH);
    std::filesystem::copy_file(library, folder_.path() / library.filename());
    std::filesystem::copy_file(tool, folder_.path() / tool.filename());
    zelkctl_ = "\"" + (folder_.path() / tool.filename()).u8string() + "\"";
  }

  // A file of the folder, as the shell is given it.
  std::string Path(const char* name) const { return (folder_.path() / name).u8string(); }

  TempFolder folder_;
  std::string zelkctl_;  // the installed zelkctl, quoted for the shell
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_ABI_KIOSK_FOLDER_TEST_H_
