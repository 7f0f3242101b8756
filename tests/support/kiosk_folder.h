// A kiosk laid out in a temporary folder as an administrator installs one: the host's
// executable (while it lives the library believes it is <folder>\browser.exe, so zelk.ini
// is looked up there), zelk.ini, the filter file, seed files and, for tests that run the
// tool in a process of its own, the built library and zelkctl side by side.
#ifndef ZELK_TESTS_SUPPORT_KIOSK_FOLDER_H_
#define ZELK_TESTS_SUPPORT_KIOSK_FOLDER_H_

#include <string>
#include <string_view>

#include "tests/support/test_support.h"

namespace zelk::testing {

class KioskFolder : public FakeHostInstallation {
 public:
  // Writes a file below the folder ("seed/Preferences"), creating its parents; returns its
  // path in the library's form.
  std::u16string Write(std::string_view relative, std::string_view bytes) const;
  // A file of the folder in UTF-8, quoted for the shell.
  std::string Quoted(std::string_view relative) const;
  // Writes `filter` as filter.txt and a zelk.ini that turns checking on with it, followed
  // by `more_ini` (lines of section Files, or further sections).
  void InstallFilter(std::string_view filter, std::string_view more_ini = "") const;
  // Copies the built library and zelkctl into the folder; returns zelkctl quoted for the
  // shell. Test executables are told the paths by the build (ZELK_LIBRARY_PATH,
  // ZELKCTL_PATH).
  std::string InstallBuiltTools(const char* library_path, const char* zelkctl_path) const;
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_SUPPORT_KIOSK_FOLDER_H_
