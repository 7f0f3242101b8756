#include "host/restart.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "config/readers.h"
#include "platform/platform.h"
#include "tests/support/configured_host.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;
using testing::Utf8;

// A command line that appends one line to `log`, run by the system's shell.
std::string AppendLineCommand(const testing::TempFolder& folder, const char* log) {
#ifdef _WIN32
  return "cmd.exe /c echo started>>\"" + Utf8(folder.WinPath(FromUtf8(log))) + "\"";
#else
  return "/bin/sh -c \"echo started >> '" + (folder.path() / log).string() + "'\"";
#endif
}

class RestartBrowserTest : public testing::ConfiguredHostTest {
 protected:
  // The end of the browser with zelk.ini holding `ini`.
  int End(const std::string& ini) {
    Configure(ini);
    boxes_.Clear();
    return RestartBrowser(source_);
  }
};

TEST_F(RestartBrowserTest, StartsNothingUnlessConfigured) {
  const std::string command = AppendLineCommand(host_.folder(), "log");
  for (const char* restart : {"", "RestartOnClose=FALSE\n", "RestartOnClose=1\n"}) {
    SCOPED_TRACE(restart);
    EXPECT_EQ(0,
              End(std::string("[Browser]\n") + restart + "[Files]\nCommandLine=" + command + "\n"));
  }
  EXPECT_TRUE(boxes_.boxes().empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(host_.folder().path() / "log"));
}

TEST_F(RestartBrowserTest, EachEndStartsOneNewProcess) {
  const std::string ini = "[Browser]\nRestartOnClose=true\n[Files]\nCommandLine=" +
                          AppendLineCommand(host_.folder(), "log") + "\n";
  EXPECT_EQ(1, End(ini));
  EXPECT_EQ(1, End(ini));
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_EQ(2, testing::WaitForLines(host_.folder().path() / "log", 2));
}

TEST_F(RestartBrowserTest, TellsTheUserWhenNoProcessCouldBeStarted) {
  const std::string cases[] = {
      "",                             // CommandLine missing
      "[Files]\nCommandLine=\n",      // empty
      "[Files]\nCommandLine=TRUE\n",  // the truth words stand for the empty default
      "[Files]\nCommandLine=zelk-no-such-program-here --flag\n",
      "[Files]\nCommandLine=\"" + Utf8(host_.folder().WinPath(u"missing folder\\b.exe")) + "\"\n",
  };
  for (const std::string& files : cases) {
    SCOPED_TRACE(files);
    EXPECT_EQ(1, End("[Browser]\nRestartOnClose=TRUE\n" + files));
    ASSERT_EQ(1u, boxes_.boxes().size());
    EXPECT_EQ(Utf8(kRestartFailedText), Utf8(boxes_.boxes()[0].text));
    EXPECT_EQ(Utf8(host_.ExecutablePath()), Utf8(boxes_.boxes()[0].caption));
    EXPECT_EQ(platform::MessageBoxIcon::kExclamation, boxes_.boxes()[0].icon);
  }
}

#ifndef _WIN32
TEST_F(RestartBrowserTest, AnUnquotedPathWithSpacesIsSplitAtTheFirstSpace) {
  // The system's rule: "<folder>/my tool" names the program "<folder>/my".
  const fs::path program = host_.folder().path() / "my";
  testing::WriteFile(
      program, "#!/bin/sh\necho \"$1\" >> '" + (host_.folder().path() / "log").string() + "'\n");
  fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_EQ(1, End("[Browser]\nRestartOnClose=TRUE\n[Files]\nCommandLine=" + program.string() +
                   " tool\n"));
  EXPECT_TRUE(boxes_.boxes().empty());
  ASSERT_EQ(1, testing::WaitForLines(host_.folder().path() / "log", 1));
  EXPECT_EQ("tool\n", testing::ReadFile(host_.folder().path() / "log"));
}
#endif

}  // namespace
}  // namespace zelk
