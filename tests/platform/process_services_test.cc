// Process creation and exit, the local application data folder, and (on Linux) the
// command-line splitting that stands in for Windows'.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_support.h"

#ifndef _WIN32
#include <sys/wait.h>

#include "platform/posix/command_line.h"
#endif

namespace zelk::platform {
namespace {

namespace fs = std::filesystem;
using testing::Utf8;

TEST(StartProcessTest, StartsAProgramFoundByItsName) {
  testing::TempFolder temp;
  const fs::path marker = temp.path() / "marker";
#ifdef _WIN32
  const std::u16string command = u"cmd /c echo ran>\"" + temp.WinPath(u"marker") + u"\"";
#else
  const std::u16string command = u"sh -c \"echo ran > '" + FromUtf8(marker.string()) + u"'\"";
#endif
  EXPECT_EQ(0u, StartProcess(command));
  EXPECT_EQ(1, testing::WaitForLines(marker, 1));
}

TEST(StartProcessTest, ReportsWhatCannotBeStarted) {
  testing::TempFolder temp;
  testing::WriteFile(temp.path() / "not-a-program", "just text");
  const std::u16string cases[] = {
      u"",
      u"   ",
      u"zelk-no-such-program-here",
      u"\"" + temp.WinPath(u"gone\\program") + u"\" --flag",
      temp.WinPath(u"not-a-program"),
  };
  for (const std::u16string& command : cases) {
    SCOPED_TRACE(Utf8(command));
    EXPECT_NE(0u, StartProcess(command));
  }
  EXPECT_EQ(kErrorFileNotFound, StartProcess(u"zelk-no-such-program-here"));
}

TEST(EndProcessDeathTest, FlushesAndEndsWithTheCode) {
  EXPECT_EXIT(
      {
        std::fputs("written before the end", stderr);
        EndProcess(7);
      },
      ::testing::ExitedWithCode(7), "written before the end");
}

#ifndef _WIN32
TEST(StartProcessTest, LeavesNoZombieBehind) {
  testing::TempFolder temp;
  const fs::path marker = temp.path() / "marker";
  ASSERT_EQ(0u, StartProcess(u"sh -c \"echo ran > '" + FromUtf8(marker.string()) + u"'\""));
  ASSERT_EQ(1, testing::WaitForLines(marker, 1));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  // 0: children that still run, -1: none; a pid would be a child that ended unreaped.
  EXPECT_GE(0, waitpid(-1, nullptr, WNOHANG));
}

TEST(StartProcessTest, ExecFailuresAreFailures) {
  testing::TempFolder temp;
  const fs::path script = temp.path() / "script";
  testing::WriteFile(script, "#!/no/such/interpreter\n");
  fs::permissions(script, fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_EQ(kErrorFileNotFound, StartProcess(temp.WinPath(u"script")));
  EXPECT_EQ(kErrorAccessDenied, StartProcess(temp.WinPath(u"")));
}

TEST(SplitCommandLineTest, FollowsWindowsRules) {
  const struct {
    const char16_t* line;
    std::vector<std::u16string> arguments;
  } cases[] = {
      {u"prog a b", {u"prog", u"a", u"b"}},
      {u"  prog\t a  ", {u"prog", u"a"}},
      {u"\"C:\\Program Files\\x.exe\" -v", {u"C:\\Program Files\\x.exe", u"-v"}},
      {u"C:\\Program Files\\x.exe -v", {u"C:\\Program", u"Files\\x.exe", u"-v"}},
      {u"\"a\\\\\"b c", {u"a\\\\", u"b", u"c"}},  // no escapes in the program name
      {u"p \"a b\" c", {u"p", u"a b", u"c"}},
      {u"p a\\\\b", {u"p", u"a\\\\b"}},        // backslashes alone stand for themselves
      {u"p a\\\"b", {u"p", u"a\"b"}},          // 2n+1 before a quote: a literal quote
      {u"p a\\\\\"b c\"", {u"p", u"a\\b c"}},  // 2n before a quote: the quote groups
      {u"p \"a\"\"b\"", {u"p", u"a\"b"}},      // "" inside a group
      {u"p \"\"", {u"p", u""}},
      {u"p \"unclosed arg", {u"p", u"unclosed arg"}},
      {u"", {}},
      {u" \t ", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.line));
    EXPECT_EQ(c.arguments, posix::SplitCommandLine(c.line));
  }
}

TEST(LocalAppDataFolderTest, ComesFromTheEnvironmentInOrder) {
  const struct {
    const char* local;  // null: the variable is not set
    const char* xdg;
    const char* home;
    const char* folder;  // null: failure
  } cases[] = {
      {"/l", "/x", "/h", "\\l"},
      {"", "/x/", "/h", "\\x"},
      {nullptr, nullptr, "/h", "\\h\\.local\\share"},
      {"", "", "", nullptr},
      {nullptr, nullptr, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder != nullptr ? c.folder : "failure");
    const testing::ScopedEnvironmentVariable local("LOCALAPPDATA", c.local);
    const testing::ScopedEnvironmentVariable xdg("XDG_DATA_HOME", c.xdg);
    const testing::ScopedEnvironmentVariable home("HOME", c.home);
    std::u16string folder = u"untouched";
    const uint32_t error = GetLocalAppDataFolder(&folder);
    if (c.folder != nullptr) {
      EXPECT_EQ(0u, error);
      EXPECT_EQ(c.folder, Utf8(folder));
    } else {
      EXPECT_NE(0u, error);
      EXPECT_EQ("untouched", Utf8(folder));
    }
  }
}
#else
TEST(LocalAppDataFolderTest, IsTheUsersFolder) {
  std::u16string folder;
  ASSERT_EQ(0u, GetLocalAppDataFolder(&folder));
  EXPECT_FALSE(folder.empty());
  EXPECT_NE(u'\\', folder.back());
}
#endif

}  // namespace
}  // namespace zelk::platform
