#include "profile/copy_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::Utf8;

struct NameCase {
  const char16_t* path;
  const char16_t* next;
};

const NameCase kCopyNames[] = {
    {u"report", u"Copy of report"},
    {u"Copy of report", u"Copy (1) of report"},
    {u"Copy (9) of plan", u"Copy (10) of plan"},
    {u"Copy (x) of plan", u"Copy (1) of plan"},
    {u"My Copy of notes", u"Copy (1) of of notes"},
    {u"Copy (old", u"Copy of Copy (old"},
    {u"Copy of X (1)", u"Copy (2) of "},
    // The sequence of names tried for one target, with drive, folder and extension kept.
    {u"D:\\b\\report.txt", u"D:\\b\\Copy of report.txt"},
    {u"D:\\b\\Copy of report.txt", u"D:\\b\\Copy (1) of report.txt"},
    {u"D:\\b\\Copy (1) of report.txt", u"D:\\b\\Copy (2) of report.txt"},
    {u"D:\\b\\Copy (2) of report.txt", u"D:\\b\\Copy (3) of report.txt"},
    // The extension starts at the last dot of the last component only.
    {u"D:\\v1.2\\archive.tar.gz", u"D:\\v1.2\\Copy of archive.tar.gz"},
    {u"D:\\v1.2\\README", u"D:\\v1.2\\Copy of README"},
    {u"rel/dir/x.js", u"rel/dir/Copy of x.js"},
    {u".profile", u"Copy of .profile"},
    // "Copy " is matched with its case and its space.
    {u"copy of x", u"Copy of copy of x"},
    {u"Copyright", u"Copy of Copyright"},
    // Numbers read leniently: blanks and a sign, digits up to the first other character.
    {u"Copy ( 7) of a", u"Copy (8) of a"},
    {u"Copy (-3) of a", u"Copy (-2) of a"},
    {u"Copy (12ab) of a", u"Copy (13) of a"},
    {u"Copy () of a", u"Copy (1) of a"},
    {u"Copy ) (x", u"Copy (1) of "},
    {u"Copy (2147483646) of a", u"Copy (2147483647) of a"},
    {u"Copy (2147483647) of a", u"Copy (2147483648) of a"},
    {u"Copy (99999999999999999999) of a", u"Copy (2147483648) of a"},
    // Shorter than the text the rule drops.
    {u"Copy (", u"Copy of Copy ("},
    {u"Copy", u"Copy of Copy"},
    {u"Copy x", u"Copy (1) of "},
    {u"", u"Copy of "},
};

TEST(MakeCopyNameTest, GivesTheNextNameToTry) {
  for (const NameCase& c : kCopyNames) {
    SCOPED_TRACE(::testing::Message() << "path " << Utf8(c.path));
    EXPECT_EQ(Utf8(c.next), Utf8(MakeCopyName(c.path)));
  }
}

TEST(SplitPathTest, SplitsAsTheWindowsLibraryDoes) {
  struct Case {
    const char16_t* path;
    PathParts parts;
  };
  const Case cases[] = {
      {u"D:\\a\\b.txt", {u"D:", u"\\a\\", u"b", u".txt"}},
      {u"D:b.txt", {u"D:", u"", u"b", u".txt"}},
      {u"\\a/b\\c", {u"", u"\\a/b\\", u"c", u""}},
      {u"a.b\\c", {u"", u"a.b\\", u"c", u""}},
      {u"D:\\a\\", {u"D:", u"\\a\\", u"", u""}},
      {u"x.", {u"", u"", u"x", u"."}},
      {u"", {u"", u"", u"", u""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "path " << Utf8(c.path));
    const PathParts parts = SplitPath(c.path);
    EXPECT_EQ(Utf8(c.parts.drive), Utf8(parts.drive));
    EXPECT_EQ(Utf8(c.parts.folder), Utf8(parts.folder));
    EXPECT_EQ(Utf8(c.parts.base), Utf8(parts.base));
    EXPECT_EQ(Utf8(c.parts.extension), Utf8(parts.extension));
  }
}

TEST(PathTextTest, TrailingBackslashAndFolderNameOfAPattern) {
  EXPECT_EQ(Utf8(u"D:\\data\\"), Utf8(AddTrailingBackslash(u"D:\\data")));
  EXPECT_EQ(Utf8(u"D:\\data\\"), Utf8(AddTrailingBackslash(u"D:\\data\\")));
  EXPECT_EQ(Utf8(u"\\"), Utf8(AddTrailingBackslash(u"")));

  const std::pair<const char16_t*, const char16_t*> folder_names[] = {
      {u"D:\\data\\ext\\*.*", u"ext"},      {u"D:\\*.*", u""}, {u"ext\\*.*", u""}, {u"*.*", u""},
      {u"\\\\server\\share\\x\\*.*", u"x"},
  };
  for (const auto& [pattern, name] : folder_names) {
    SCOPED_TRACE(::testing::Message() << "pattern " << Utf8(pattern));
    EXPECT_EQ(Utf8(name), Utf8(GetFolderName(pattern)));
  }
  EXPECT_EQ(Utf8(u"x.txt"), Utf8(LastComponent(u"D:\\a\\x.txt")));
  EXPECT_EQ(Utf8(u"x"), Utf8(LastComponent(u"x")));
}

TEST(FindFreeNameTest, TriesNamesInTurnUntilOneIsFreeOrTheyRunOut) {
  const std::vector<std::u16string> taken = {u"D:\\b\\y.txt", u"D:\\b\\Copy of y.txt",
                                             u"D:\\b\\Copy (1) of y.txt"};
  const struct {
    const char16_t* target;
    int attempts;
    bool all_taken;  // else only `taken`
    FreeNameOutcome outcome;
    const char16_t* free_name;
    int asked;
  } kCases[] = {
      {u"D:\\b\\y.txt", 100, false, FreeNameOutcome::kFound, u"D:\\b\\Copy (2) of y.txt", 4},
      {u"D:\\b\\y.txt", 25, true, FreeNameOutcome::kNoFreeName, u"untouched", 25},
      // At the top of the number range the next name is the name itself.
      {u"Copy (2147483648) of a", 1000, true, FreeNameOutcome::kNoFreeName, u"untouched", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(::testing::Message() << Utf8(c.target) << " attempts " << c.attempts);
    int asked = 0;
    std::u16string free_name = u"untouched";
    const auto is_taken = [&](const std::u16string& name) {
      ++asked;
      return c.all_taken || std::find(taken.begin(), taken.end(), name) != taken.end();
    };
    EXPECT_EQ(c.outcome, FindFreeName(c.target, c.attempts, is_taken, &free_name));
    EXPECT_EQ(Utf8(c.free_name), Utf8(free_name));
    EXPECT_EQ(c.asked, asked);
  }
}

TEST(FindFreeNameTest, NeverTriesANameBeyondThePathLimit) {
  // "Copy (old" grows by "Copy of " at every step.
  const std::u16string folder = u"D:\\" + std::u16string(200, u'f') + u"\\";
  std::u16string longest;
  std::u16string free_name;
  EXPECT_EQ(FreeNameOutcome::kNameTooLong, FindFreeName(
                                               folder + u"Copy (old.txt", 1000,
                                               [&](const std::u16string& name) {
                                                 longest = name;
                                                 return true;
                                               },
                                               &free_name));
  EXPECT_LT(longest.size(), platform::kMaxPath);
  EXPECT_GT(longest.size() + 8, platform::kMaxPath - 1);
}

}  // namespace
}  // namespace zelk
