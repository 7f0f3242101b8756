// Headless Chromium for the browser tests: one run over a local page, its profile and log
// kept in the test's own folder. Tests skip, saying so, where Chromium cannot start.
#ifndef ZELK_TESTS_BROWSER_HEADLESS_CHROMIUM_H_
#define ZELK_TESTS_BROWSER_HEADLESS_CHROMIUM_H_

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/test_support.h"

namespace zelk::testing {

inline bool ChromiumInstalled() {
  return std::system("command -v chromium >/dev/null 2>&1") == 0;
}

// Runs Chromium over `page` with `action` ("--dump-dom", "--screenshot=FILE", ...). Its
// standard error, console messages included, goes to chromium.log in `folder`.
inline CommandRun RunChromium(const std::filesystem::path& folder,
                              const std::filesystem::path& page,
                              const std::string& action) {
  const std::string command =
      "timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic "
      "--no-first-run --disable-background-networking --disable-component-update "
      "--disable-sync --enable-logging=stderr --v=0 --virtual-time-budget=5000 "
      "--user-data-dir='" +
      (folder / "profile").string() + "' " + action + " 'file://" + page.string() + "' 2>'" +
      (folder / "chromium.log").string() + "'";
  return RunCommand(command);
}

}  // namespace zelk::testing

#endif  // ZELK_TESTS_BROWSER_HEADLESS_CHROMIUM_H_
