// The fixture of tests that run the built zelkctl in a kiosk folder of their own. Only
// test executables told where the built files are include it.
#ifndef ZELK_TESTS_SUPPORT_KIOSK_FOLDER_TEST_H_
#define ZELK_TESTS_SUPPORT_KIOSK_FOLDER_TEST_H_

#include <gtest/gtest.h>

#include <string>

#include "tests/support/kiosk_folder.h"

namespace zelk::testing {

// A test of its own kiosk folder holding the built library and zelkctl side by side, as
// an administrator installs them; zelkctl runs there in a process of its own. The build
// tells the test executable where both are (ZELK_LIBRARY_PATH, ZELKCTL_PATH).
class KioskFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { zelkctl_ = kiosk_.InstallBuiltTools(ZELK_LIBRARY_PATH, ZELKCTL_PATH); }

  // A file of the folder, as the shell is given it.
  std::string Path(const char* name) const { return (folder().path() / name).u8string(); }
  const TempFolder& folder() const { return kiosk_.folder(); }

  // Runs the installed zelkctl with `arguments`; what it says on standard error lands in
  // err_.
  CommandRun Run(const std::string& arguments) {
    const CommandRun run =
        RunCommand(zelkctl_ + " " + arguments + " 2>\"" + Path("stderr.txt") + "\"");
    err_ = ReadFile(folder().path() / "stderr.txt");
    return run;
  }

  KioskFolder kiosk_;
  std::string zelkctl_;  // the installed zelkctl, quoted for the shell
  std::string err_;      // what the last Run said on standard error
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_SUPPORT_KIOSK_FOLDER_TEST_H_
