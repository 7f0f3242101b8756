#include "profile/profile_cleaning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/readers.h"
#include "platform/links_for_testing.h"
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

const Tree kMixedProfile = {"Bookmarks=b",        "Preferences=p",        "Bookmarks.bak=old",
                            "History=h",          "Cache/data_0=c",       "Cache/index/f=c",
                            "Extensions/abc/m=m", "Cache/extensions=file"};

class ProfileCleaningTest : public testing::ProfileRootTest {
 protected:
  void Configure(const std::string& profile_folder, const std::string& clean = "TRUE") const {
    host_.WriteIni("[Browser]\nCleanProfileOnClose=" + clean + "\nProfileFolder=" + profile_folder +
                   "\n");
  }

  // CleanProfile's steps: the lookup, then the cleaning.
  int Clean() {
    LocateConfiguration(source_);
    return CleanProfileFolder(source_);
  }
};

TEST_F(ProfileCleaningTest, DoesNothingUnlessConfigured) {
  MakeTree(DefaultFolder(), kMixedProfile);
  const Tree before = TreeOf(root_.path());
  for (const char* clean : {"FALSE", "", "yes"}) {
    SCOPED_TRACE(clean);
    Configure(Root(), clean);
    EXPECT_EQ(0, Clean());
    EXPECT_EQ(before, TreeOf(root_.path()));
  }
}

TEST_F(ProfileCleaningTest, KeepsBookmarksPreferencesAndExtensionsWhenAsked) {
  Configure(Root());
  struct Case {
    int clean_extensions;
    Tree left;
  };
  const Case cases[] = {
      {1, {"Bookmarks=b", "Preferences=p"}},
      {0, {"Bookmarks=b", "Extensions/", "Extensions/abc/", "Extensions/abc/m=m", "Preferences=p"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "extensions-cleaning flag " << c.clean_extensions);
    MakeTree(DefaultFolder(), kMixedProfile);
    source_.clean_profile_extensions = c.clean_extensions;
    EXPECT_EQ(1, Clean());
    EXPECT_EQ(c.left, TreeOf(DefaultFolder()));
  }
}

TEST_F(ProfileCleaningTest, MatchesNamesInAnyCaseButOnlyForTheirKind) {
  Configure(Root());
  MakeTree(DefaultFolder(), {"PREFERENCES=p", "bookmarks=b", "Bookmarks.json=x",
                             "sub/Preferences/inside=x", "EXTENSIONS/x=x", "sub/Extensions/y=y"});
  source_.clean_profile_extensions = 1;
  EXPECT_EQ(1, Clean());
  EXPECT_EQ(Tree({"PREFERENCES=p", "bookmarks=b"}), TreeOf(DefaultFolder()));
}

TEST_F(ProfileCleaningTest, KeptFilesAtAnyDepthKeepTheirFolders) {
  Configure(Root());
  MakeTree(DefaultFolder(), {"sub/Preferences=p", "sub/other=o", "sub/deeper/Bookmarks=b",
                             "sub/deeper/x=x", "gone/x=x"});
  EXPECT_EQ(1, Clean());
  EXPECT_EQ(Tree({"sub/", "sub/Preferences=p", "sub/deeper/", "sub/deeper/Bookmarks=b"}),
            TreeOf(DefaultFolder()));
}

TEST_F(ProfileCleaningTest, MissingDefaultFolderIsNoFailure) {
  Configure(Root());
  EXPECT_EQ(1, Clean());
  EXPECT_EQ(Tree(), TreeOf(root_.path()));
}

TEST_F(ProfileCleaningTest, AFileThatCannotBeDeletedStays) {
  Configure(Root());
  MakeTree(DefaultFolder(), {"locked/held=h", "locked/free=f", "loose=l"});
  fs::permissions(DefaultFolder() / "locked" / "held", fs::perms::owner_write,
                  fs::perm_options::remove);
  EXPECT_EQ(1, Clean());
  EXPECT_EQ(Tree({"locked/", "locked/held=h"}), TreeOf(DefaultFolder()));
}

// The root written with a trailing backslash, and through an environment reference
// (former fault: the cleaning used it as written while the browser used it expanded).
TEST_F(ProfileCleaningTest, RootIsFoundHoweverItIsWritten) {
  ScopedEnvironmentVariable variable("ZELK_TEST_PROFILE_ROOT", Root().c_str());
  for (const std::string& root : {Root() + "\\", std::string("%ZELK_TEST_PROFILE_ROOT%")}) {
    SCOPED_TRACE(root);
    Configure(root);
    MakeTree(DefaultFolder(), {"History=h", "Preferences=p"});
    EXPECT_EQ(1, Clean());
    EXPECT_EQ(Tree({"Preferences=p"}), TreeOf(DefaultFolder()));
  }
}

// Former fault: links inside the profile were followed, deleting what lay outside it.
TEST_F(ProfileCleaningTest, RemovesLinksWithoutTouchingWhatTheyStandFor) {
  Configure(Root());
  testing::TempFolder outside;
  MakeTree(outside.path(), {"precious/a=a", "precious/sub/b=b", "single=s"});
  MakeTree(DefaultFolder(), {"History=h", "sub/"});
  const std::u16string folder_target = outside.WinPath(u"precious");
  const std::u16string file_target = outside.WinPath(u"single");
  if (platform::CreateSymbolicLinkForTesting(testing::ToWinPath(DefaultFolder() / "linked"),
                                             folder_target, true) != 0) {
    GTEST_SKIP() << "symbolic links cannot be made here";
  }
  ASSERT_EQ(0u,
            platform::CreateSymbolicLinkForTesting(
                testing::ToWinPath(DefaultFolder() / "sub" / "deep-link"), folder_target, true));
  ASSERT_EQ(0u, platform::CreateSymbolicLinkForTesting(
                    testing::ToWinPath(DefaultFolder() / "file-link"), file_target, false));
  ASSERT_EQ(0u, platform::CreateSymbolicLinkForTesting(
                    testing::ToWinPath(DefaultFolder() / "Preferences"), file_target, false));

  EXPECT_EQ(1, Clean());
  EXPECT_EQ(Tree({"precious/", "precious/a=a", "precious/sub/", "precious/sub/b=b", "single=s"}),
            TreeOf(outside.path()));
  EXPECT_EQ(Tree({"Preferences=s"}), TreeOf(DefaultFolder()));
}

// Former fault: a root or join beyond the path limit could leave a shortened path that
// names another folder.
TEST_F(ProfileCleaningTest, RootBeyondThePathLimitCleansNothing) {
  MakeTree(DefaultFolder(), {"History=h"});
  const Tree before = TreeOf(root_.path());
  const std::string roots[] = {
      Root() + "\\" + std::string(platform::kMaxPath, 'r'),
      Root() + "\\" + std::string(platform::kMaxPath - 1 - Root().size() - 10, 'r'),
  };
  for (const std::string& root : roots) {
    SCOPED_TRACE(::testing::Message() << "root of " << root.size() << " characters");
    Configure(root);
    EXPECT_EQ(0, Clean());
    EXPECT_EQ(before, TreeOf(root_.path()));
  }
}

#ifndef _WIN32
TEST_F(ProfileCleaningTest, EmptyProfileFolderMeansTheLocalApplicationDataFolder) {
  Configure("");
  MakeTree(DefaultFolder(), {"History=h", "Preferences=p"});
  {
    ScopedEnvironmentVariable local("LOCALAPPDATA", "");
    ScopedEnvironmentVariable data("XDG_DATA_HOME", "");
    ScopedEnvironmentVariable home("HOME", "");
    EXPECT_EQ(0, Clean());
    EXPECT_EQ(Tree({"History=h", "Preferences=p"}), TreeOf(DefaultFolder()));
  }
  ScopedEnvironmentVariable local("LOCALAPPDATA", root_.path().string().c_str());
  EXPECT_EQ(1, Clean());
  EXPECT_EQ(Tree({"Preferences=p"}), TreeOf(DefaultFolder()));
}

// Linux names may hold a backslash or bytes that are not UTF-8. Such an entry is one entry
// of its folder: it goes, and nothing its name might spell as a path is touched.
TEST_F(ProfileCleaningTest, NamesNoWindowsNameCanHoldStayOneEntry) {
  Configure(Root());
  MakeTree(root_.path(), {"victim/precious=v", "victim/deeper/more=v"});
  const fs::path escape = DefaultFolder() / "..\\..\\..\\victim";
  const fs::path stray = DefaultFolder() / "caf\xE9\xFF";
  const fs::path stray_folder = DefaultFolder() / "a\\b\x80";
  MakeTree(escape, {"inner=i", "sub/x=x"});
  MakeTree(stray_folder, {"y=y"});
  MakeTree(DefaultFolder(), {"Preferences=p"});
  testing::WriteFile(stray, "s");
  // Windows would drop the trailing dot and space; this is not the kept Preferences.
  testing::WriteFile(DefaultFolder() / "Preferences. ", "not kept");
  MakeTree(DefaultFolder() / "dots.", {"in=i"});
  EXPECT_EQ(1, Clean());
  EXPECT_EQ(Tree({"deeper/", "deeper/more=v", "precious=v"}), TreeOf(root_.path() / "victim"));
  EXPECT_FALSE(fs::exists(escape));
  EXPECT_FALSE(fs::exists(stray));
  EXPECT_FALSE(fs::exists(stray_folder));
  EXPECT_EQ(Tree({"Preferences=p"}), TreeOf(DefaultFolder()));
}
#endif

TEST(DecideCleanActionTest, DecidesByNameAndKind) {
  constexpr uint32_t kFolder = platform::kAttributeDirectory;
  constexpr uint32_t kLink = platform::kAttributeReparsePoint;
  struct Case {
    const char16_t* name;
    uint32_t attributes;
    bool keep_extensions;
    CleanAction action;
  };
  const Case cases[] = {
      {u".", kFolder, false, CleanAction::kPassOver},
      {u"..", kFolder, true, CleanAction::kPassOver},
      {u"Preferences", platform::kAttributeNormal, false, CleanAction::kKeep},
      {u"bOOKMARKS", platform::kAttributeReadOnly, false, CleanAction::kKeep},
      {u"Preferences", kLink, false, CleanAction::kKeep},
      {u"Preferences", kFolder, false, CleanAction::kEmptyFolder},
      {u"History", platform::kAttributeNormal, true, CleanAction::kDeleteFile},
      {u"Extensions", platform::kAttributeNormal, true, CleanAction::kDeleteFile},
      {u"Extensions", kFolder, true, CleanAction::kKeep},
      {u"extensions", kFolder | kLink, true, CleanAction::kKeep},
      {u"Extensions", kFolder, false, CleanAction::kEmptyFolder},
      {u"Extensions", kFolder | kLink, false, CleanAction::kRemoveLink},
      {u"Cache", kFolder | kLink, true, CleanAction::kRemoveLink},
      {u"file-link", kLink, true, CleanAction::kDeleteFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << Utf8(c.name) << " attributes " << c.attributes
                                      << " keep extensions " << c.keep_extensions);
    EXPECT_EQ(c.action, DecideCleanAction({c.name, c.attributes}, c.keep_extensions));
  }
}

}  // namespace
}  // namespace zelk
