#include "profile/profile_preparation.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "config/readers.h"
#include "platform/platform.h"
#include "tests/profile/profile_test_util.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;
using testing::MakeTree;
using testing::ReadFile;
using testing::ScopedEnvironmentVariable;
using testing::TreeOf;
using testing::Utf8;
using Tree = std::vector<std::string>;

// A host installation with the administrator's seed files beside zelk.ini, and a profile
// root of its own whose default profile folder exists.
class ProfilePreparationTest : public testing::ProfileRootTest {
 protected:
  void SetUp() override {
    MakeTree(host_.folder().path(),
             {"seed/Preferences=seed prefs", "seed/Bookmarks=seed marks",
              "Extensions/abc/manifest.json=m", "Extensions/abc/js/app.js=a"});
    fs::create_directories(DefaultFolder());
  }

  std::string Seed(const char* name) const {
    return Utf8(host_.folder().WinPath(u"seed\\")) + name;
  }

  // zelk.ini with the profile root and the given lines of section Browser.
  void Configure(const std::string& browser_lines) const {
    host_.WriteIni("[Browser]\nProfileFolder=" + Root() + "\n" + browser_lines);
  }

  // Start's steps: the lookup, then the preparation.
  int Prepare() {
    EXPECT_EQ(1, LocateConfiguration(source_));
    return PrepareProfile(source_);
  }
};

TEST_F(ProfilePreparationTest, NothingConfiguredCopiesNothing) {
  Configure("");
  EXPECT_EQ(0, Prepare());
  EXPECT_EQ(Tree(), TreeOf(DefaultFolder()));
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(ProfilePreparationTest, SeedsPreferencesAndBookmarks) {
  Configure("DefaultPreferences=" + Seed("Preferences") + "\n");
  EXPECT_EQ(1, Prepare());
  EXPECT_EQ(Tree({"Preferences=seed prefs"}), TreeOf(DefaultFolder()));

  Configure("DefaultBookmarks=" + Seed("Bookmarks") + "\n");
  EXPECT_EQ(1, Prepare());
  EXPECT_EQ(Tree({"Bookmarks=seed marks", "Preferences=seed prefs"}), TreeOf(DefaultFolder()));
  EXPECT_TRUE(boxes_.boxes().empty());
}

// Former fault: an existing Preferences file without ForceDefaults ended the process with
// code 80, so a kiosk could start only once. It is kept, like the bookmarks.
TEST_F(ProfilePreparationTest, KeepsExistingFilesWithoutForceDefaults) {
  MakeTree(DefaultFolder(), {"Preferences=user prefs", "Bookmarks=user marks"});
  const std::string prefs = "DefaultPreferences=" + Seed("Preferences") + "\n";
  const std::string marks = "DefaultBookmarks=" + Seed("Bookmarks") + "\n";
  const std::pair<std::string, int> cases[] = {
      {prefs, 0},
      {marks, 0},
      {prefs + marks, 0},
      {prefs + marks + "ForceDefaults=FALSE\n", 0},
  };
  for (const auto& [lines, result] : cases) {
    SCOPED_TRACE(lines);
    Configure(lines);
    EXPECT_EQ(result, Prepare());
    EXPECT_EQ(Tree({"Bookmarks=user marks", "Preferences=user prefs"}), TreeOf(DefaultFolder()));
  }
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(ProfilePreparationTest, ForceDefaultsReplacesTheFilesAtEveryStart) {
  Configure("DefaultPreferences=" + Seed("Preferences") +
            "\nDefaultBookmarks=" + Seed("Bookmarks") + "\nForceDefaults=TRUE\n");
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(::testing::Message() << "start " << start);
    MakeTree(DefaultFolder(), {"Preferences=user prefs", "Bookmarks=user marks"});
    EXPECT_EQ(1, Prepare());
    EXPECT_EQ(Tree({"Bookmarks=seed marks", "Preferences=seed prefs"}), TreeOf(DefaultFolder()));
  }
}

TEST_F(ProfilePreparationTest, ResultIsThatOfTheLastStepThatRan) {
  MakeTree(DefaultFolder(), {"Bookmarks=user marks"});
  const std::string prefs = "DefaultPreferences=" + Seed("Preferences") + "\n";
  const std::string marks = "DefaultBookmarks=" + Seed("Bookmarks") + "\n";
  const std::string missing_marks = "DefaultBookmarks=" + Seed("Gone") + "\n";
  const std::pair<std::string, int> cases[] = {
      {prefs + marks, 0},                                   // bookmarks kept: 0
      {prefs + "ForceDefaults=TRUE\n" + missing_marks, 0},  // source missing: 0, no box
      {marks + "DefaultExtensions=TRUE\n", 1},              // the extensions copy decides
  };
  for (const auto& [lines, result] : cases) {
    SCOPED_TRACE(lines);
    fs::remove(DefaultFolder() / "Preferences");
    Configure(lines);
    EXPECT_EQ(result, Prepare());
  }
  EXPECT_TRUE(boxes_.boxes().empty());
}

// The profile root written with a trailing backslash, through an environment reference
// (former fault: expanded for the browser but not for the seeding), and left empty for the
// local application data folder (found through LOCALAPPDATA on Linux).
TEST_F(ProfilePreparationTest, ProfileRootIsFoundHoweverItIsWritten) {
  ScopedEnvironmentVariable variable("ZELK_TEST_PROFILE_ROOT", Root().c_str());
  ScopedEnvironmentVariable local("LOCALAPPDATA", root_.path().string().c_str());
  std::vector<std::string> roots = {Root() + "\\", "%ZELK_TEST_PROFILE_ROOT%"};
#ifndef _WIN32
  roots.push_back("");
#endif
  for (const std::string& root : roots) {
    SCOPED_TRACE(root);
    fs::remove(DefaultFolder() / "Preferences");
    host_.WriteIni("[Browser]\nProfileFolder=" + root +
                   "\nDefaultPreferences=" + Seed("Preferences") + "\n");
    EXPECT_EQ(1, Prepare());
    EXPECT_EQ("seed prefs", ReadFile(DefaultFolder() / "Preferences"));
  }
}

TEST_F(ProfilePreparationTest, CopiesTheExtensionsFolderBesideTheHost) {
  Configure("DefaultExtensions=TRUE\n");
  EXPECT_EQ(1, Prepare());
  const Tree first = {"Extensions/", "Extensions/abc/", "Extensions/abc/js/",
                      "Extensions/abc/js/app.js=a", "Extensions/abc/manifest.json=m"};
  EXPECT_EQ(first, TreeOf(DefaultFolder()));

  // A second start keeps every file and adds each new copy beside it.
  EXPECT_EQ(1, Prepare());
  EXPECT_EQ(Tree({"Extensions/", "Extensions/abc/", "Extensions/abc/Copy of manifest.json=m",
                  "Extensions/abc/js/", "Extensions/abc/js/Copy of app.js=a",
                  "Extensions/abc/js/app.js=a", "Extensions/abc/manifest.json=m"}),
            TreeOf(DefaultFolder()));
}

TEST_F(ProfilePreparationTest, ExtensionsWithForceDefaultsAreReplaced) {
  Configure("DefaultExtensions=TRUE\nForceDefaults=TRUE\n");
  MakeTree(DefaultFolder(), {"Extensions/abc/manifest.json=old"});
  EXPECT_EQ(1, Prepare());
  EXPECT_EQ(1, Prepare());
  EXPECT_EQ("m", ReadFile(DefaultFolder() / "Extensions" / "abc" / "manifest.json"));
  EXPECT_EQ(5u, TreeOf(DefaultFolder()).size());
}

TEST_F(ProfilePreparationTest, ExtensionsCopyFailsSilently) {
  Configure("DefaultExtensions=TRUE\n");
  fs::remove_all(host_.folder().path() / "Extensions");
  EXPECT_EQ(0, Prepare());
  fs::create_directories(host_.folder().path() / "Extensions");
  fs::remove_all(root_.path() / "Chromium");
  EXPECT_EQ(0, Prepare());
  EXPECT_FALSE(fs::exists(root_.path() / "Chromium"));
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(ProfilePreparationTest, ExtensionsCopyIsSkippedWhenTheHostLiesInTheProfile) {
  MakeTree(DefaultFolder(), {"Extensions/abc/manifest.json=m"});
  const std::u16string host = testing::ToWinPath(DefaultFolder() / "browser.exe");
  platform::SetHostExecutablePathForTesting(host);
  testing::WriteFile(DefaultFolder() / "zelk.ini",
                     "[Browser]\nProfileFolder=" + Root() + "\nDefaultExtensions=TRUE\n");
  EXPECT_EQ(1, Prepare());
  EXPECT_EQ(Tree({"Extensions/", "Extensions/abc/", "Extensions/abc/manifest.json=m",
                  "zelk.ini=[Browser]\nProfileFolder=" + Root() + "\nDefaultExtensions=TRUE\n"}),
            TreeOf(DefaultFolder()));
  platform::SetHostExecutablePathForTesting(host_.ExecutablePath());
}

TEST_F(ProfilePreparationTest, ProfileRootBeyondThePathLimitCopiesNothing) {
  const std::string long_root = Root() + "\\" + std::string(240, 'r');
  host_.WriteIni("[Browser]\nProfileFolder=" + long_root +
                 "\nDefaultBookmarks=" + Seed("Bookmarks") + "\nDefaultExtensions=TRUE\n");
  EXPECT_EQ(0, Prepare());
  EXPECT_EQ(Tree({"Chromium/", "Chromium/User Data/", "Chromium/User Data/Default/"}),
            TreeOf(root_.path()));
}

TEST(PreferencesCopyFailureTextTest, NamesTheOperationTheCodeAndTheSystemText) {
  EXPECT_EQ("Start: CopyFile failed with error 80: " + Utf8(platform::SystemErrorText(80)),
            Utf8(PreferencesCopyFailureText(80)));
}

// A failed Preferences copy ends the process with the error code as its exit code, after
// the error box; the box is written to standard error here so the parent can read it.
// The dying process removes the test's folders itself, since no destructor runs in it.
void PrepareAndEcho(ConfigSource& source, std::vector<fs::path> folders) {
  platform::SetMessageBoxSinkForTesting(
      [folders](std::u16string_view caption, std::u16string_view text, platform::MessageBoxIcon) {
        std::cerr << "box " << Utf8(caption) << ": " << Utf8(text) << std::endl;
        for (const fs::path& folder : folders) {
          std::error_code ignored;
          fs::remove_all(folder, ignored);
        }
      });
  LocateConfiguration(source);
  PrepareProfile(source);
  std::cerr << "still running" << std::endl;
}

using ProfilePreparationDeathTest = ProfilePreparationTest;

TEST_F(ProfilePreparationDeathTest, MissingProfileFolderEndsTheProcessWithCode3) {
  fs::remove_all(root_.path() / "Chromium");
  Configure("DefaultPreferences=" + Seed("Preferences") + "\n");
  const std::vector<fs::path> folders = {host_.folder().path(), root_.path()};
  EXPECT_EXIT(PrepareAndEcho(source_, folders), ::testing::ExitedWithCode(3),
              "box Error: Start: CopyFile failed with error 3: ");
}

TEST_F(ProfilePreparationDeathTest, MissingSeedFileEndsTheProcessWithCode2) {
  Configure("DefaultPreferences=" + Seed("Gone") + "\n");
  const std::vector<fs::path> folders = {host_.folder().path(), root_.path()};
  EXPECT_EXIT(PrepareAndEcho(source_, folders), ::testing::ExitedWithCode(2),
              "box Error: Start: CopyFile failed with error 2: ");
}

}  // namespace
}  // namespace zelk
