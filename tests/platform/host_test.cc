// The host's executable path, the existence test and message boxes.
#include <filesystem>
#include <stdexcept>
#include <string>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

using testing::Utf8;

TEST(HostExecutablePathTest, IsTheFullPathOfTheRunningTestProgram) {
  const std::u16string path = HostExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_LT(path.size(), kMaxPath);
  const std::u16string name = path.substr(path.rfind(u'\\') + 1);
#ifdef _WIN32
  EXPECT_EQ(u"platform_tests.exe", FoldAscii(name));
  EXPECT_EQ(u':', path.size() > 1 ? path[1] : 0) << Utf8(path);
#else
  EXPECT_EQ(u"platform_tests", name);
  EXPECT_EQ(u'\\', path[0]) << Utf8(path);
#endif
  EXPECT_TRUE(PathExists(path));
}

TEST(HostExecutablePathTest, TestsCanStandInForTheHostAndRestoreIt) {
  const std::u16string real = HostExecutablePath();
  {
    testing::FakeHostInstallation host;
    EXPECT_EQ(host.ExecutablePath(), HostExecutablePath());
  }
  EXPECT_EQ(real, HostExecutablePath());
}

TEST(PathExistsTest, AcceptsFilesAndFoldersOnly) {
  testing::TempFolder folder;
  testing::WriteFile(folder.path() / "zelk.ini", "[Browser]\n");
  std::filesystem::create_directory(folder.path() / "folder.ini");
  const struct {
    std::u16string path;
    bool exists;
  } kCases[] = {
      {folder.WinPath(u"zelk.ini"), true},         {folder.WinPath(u"folder.ini"), true},
      {folder.WinPath(u"folder.ini\\"), true},     {folder.WinPath(), true},
      {folder.WinPath(u"missing.ini"), false},     {folder.WinPath(u"missing\\zelk.ini"), false},
      {folder.WinPath(u"zelk.ini\\below"), false}, {u"", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(Utf8(c.path));
    EXPECT_EQ(c.exists, PathExists(c.path));
  }
}

#ifndef _WIN32
// PathFileExistsW takes paths below the limit; wine does not enforce it, Windows does.
TEST(PathExistsTest, PathsOfTheLimitAndBeyondDoNotExistOnLinux) {
  testing::TempFolder folder;
  const std::filesystem::path deep = folder.path() / std::string(250, 'x') / "zelk.ini";
  testing::WriteFile(deep, "");
  ASSERT_GE(testing::ToWinPath(deep).size(), kMaxPath);
  EXPECT_FALSE(PathExists(testing::ToWinPath(deep)));
  EXPECT_TRUE(PathExists(u"/tmp"));
}

TEST(ShowMessageBoxTest, WritesOneLineToStandardError) {
  const struct {
    const char16_t* caption;
    const char16_t* text;
    const char* line;
  } kCases[] = {
      {u"C:\\Kiosk\\browser.exe", u"plain", "MessageBox: C:\\Kiosk\\browser.exe: plain\n"},
      {u"cap", u"ERROR:\n\nThe INI file x was not found.\r\n",
       "MessageBox: cap: ERROR:\\n\\nThe INI file x was not found.\\r\\n\n"},
      {u"", u"", "MessageBox: : \n"},
      {u"two\nlines", u"caf\u00E9 \xD800", "MessageBox: two\\nlines: caf\xC3\xA9 ?\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    ::testing::internal::CaptureStderr();
    ShowMessageBox(c.caption, c.text, MessageBoxIcon::kExclamation);
    EXPECT_EQ(c.line, ::testing::internal::GetCapturedStderr());
  }
}
#endif

// Every test that counts boxes relies on the sink; here it must also let go of them.
TEST(ShowMessageBoxTest, SinkReceivesEveryBoxInsteadOfTheUserWhileItLives) {
  {
    testing::MessageBoxRecorder recorder;
    ShowMessageBox(u"caption", u"text\n", MessageBoxIcon::kExclamation);
    ASSERT_EQ(1u, recorder.boxes().size());
    EXPECT_EQ(u"text\n", recorder.boxes()[0].text);
  }
#ifndef _WIN32
  ::testing::internal::CaptureStderr();
  ShowMessageBox(u"c", u"t", MessageBoxIcon::kNone);
  EXPECT_EQ("MessageBox: c: t\n", ::testing::internal::GetCapturedStderr());
#endif
}

TEST(ShowMessageBoxTest, ASinkThatThrowsDoesNotEscape) {
  SetMessageBoxSinkForTesting([](std::u16string_view, std::u16string_view, MessageBoxIcon) {
    throw std::runtime_error("sink failed");
  });
  EXPECT_NO_THROW(ShowMessageBox(u"c", u"t", MessageBoxIcon::kNone));
  SetMessageBoxSinkForTesting(nullptr);
}

}  // namespace
}  // namespace zelk::platform
