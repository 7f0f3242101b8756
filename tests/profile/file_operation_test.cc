#include "profile/file_operation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/links_for_testing.h"
#include "platform/platform.h"
#include "tests/profile/profile_test_util.h"
#include "tests/support/temp_folder_test.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;
using testing::MakeTree;
using testing::ReadFile;
using testing::TreeOf;
using testing::Utf8;
using Tree = std::vector<std::string>;

class FileOperationTest : public testing::TempFolderTest {
 protected:
  void Make(const Tree& items) const { MakeTree(temp_.path(), items); }

  // One engine per copy, as its owners use it.
  int CopyOnce(std::u16string_view source, std::u16string_view destination, bool overwrite) {
    FileOperation operation;
    operation.overwrite = overwrite ? 1 : 0;
    const int result = operation.Copy(std::u16string(source), std::u16string(destination));
    last_error_text_ = operation.errorText;
    last_error_code_ = operation.errorCode;
    EXPECT_EQ(-1, operation.subfolderBudget);
    return result;
  }

  std::u16string last_error_text_;
  uint32_t last_error_code_ = 0;
};

TEST_F(FileOperationTest, LeavesAFolderAloneWhoseParentIsTheDestination) {
  Make({"data/ext/x.txt=1"});
  const std::u16string destinations[] = {P(u"data"), P(u"DATA"), P(u"Data")};
  for (const std::u16string& destination : destinations) {
    SCOPED_TRACE(::testing::Message() << "destination " << Utf8(destination));
    FileOperation operation;
    operation.subfolderBudget = 5;
    EXPECT_EQ(1, operation.Copy(P(u"data\\ext"), destination));
    EXPECT_EQ("No error", Utf8(operation.errorText));
    EXPECT_EQ(0u, operation.errorCode);
    EXPECT_EQ(5, operation.subfolderBudget);
  }
  EXPECT_EQ(Tree({"data/", "data/ext/", "data/ext/x.txt=1"}), TreeOf(temp_.path()));
}

TEST_F(FileOperationTest, TellsAParentFolderByTheTextBeforeTheLastBackslash) {
  Make({"data/ext/", "data/file.txt=1"});
  struct Case {
    std::u16string source;
    std::u16string destination;
    bool parent;
  };
  const Case cases[] = {
      {P(u"data\\ext"), P(u"data"), true},        {P(u"data\\ext"), P(u"data\\"), false},
      {P(u"data\\ext\\"), P(u"data\\ext"), true}, {P(u"data\\ext\\"), P(u"data"), false},
      {P(u"data\\file.txt"), P(u"data"), false},  // a file is never a child folder here
      {P(u"data\\gone"), P(u"data"), false},
  };
  FileOperation operation;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << Utf8(c.source) << " -> " << Utf8(c.destination));
    EXPECT_EQ(c.parent, operation.IsParentFolder(c.source, c.destination));
  }
}

TEST_F(FileOperationTest, CopiesAFolderTreeIntoAFolder) {
  Make({"src/a.txt=A", "src/sub/b.txt=B", "src/sub/deeper/c.txt=C", "src/empty/", "dst/"});
  EXPECT_EQ(1, CopyOnce(P(u"src"), P(u"dst"), false));
  EXPECT_EQ(Tree({"src/", "src/a.txt=A", "src/empty/", "src/sub/", "src/sub/b.txt=B",
                  "src/sub/deeper/", "src/sub/deeper/c.txt=C"}),
            TreeOf(F("dst")));
  EXPECT_EQ("No error", Utf8(last_error_text_));
}

TEST_F(FileOperationTest, RepeatedCopiesAddNumberedCopiesBesideEachFile) {
  Make({"src/a.txt=A", "src/sub/b=B", "dst/"});
  EXPECT_EQ(1, CopyOnce(P(u"src"), P(u"dst"), false));
  EXPECT_EQ(1, CopyOnce(P(u"src"), P(u"dst"), false));
  EXPECT_EQ(1, CopyOnce(P(u"src"), P(u"dst"), false));
  EXPECT_EQ(Tree({"src/", "src/Copy (1) of a.txt=A", "src/Copy of a.txt=A", "src/a.txt=A",
                  "src/sub/", "src/sub/Copy (1) of b=B", "src/sub/Copy of b=B", "src/sub/b=B"}),
            TreeOf(F("dst")));
}

TEST_F(FileOperationTest, OverwriteReplacesEachFileAndAddsNoName) {
  Make({"src/a.txt=new", "src/sub/b=new", "dst/src/a.txt=old", "dst/src/sub/b=old"});
  EXPECT_EQ(1, CopyOnce(P(u"src"), P(u"dst"), true));
  EXPECT_EQ(Tree({"src/", "src/a.txt=new", "src/sub/", "src/sub/b=new"}), TreeOf(F("dst")));
}

TEST_F(FileOperationTest, AnEmptyFolderGivesAnEmptyFolder) {
  Make({"src/", "dst/"});
  EXPECT_EQ(1, CopyOnce(P(u"src"), P(u"dst"), false));
  EXPECT_EQ(Tree({"src/"}), TreeOf(F("dst")));
}

TEST_F(FileOperationTest, FileOntoAFileLandsBesideItUnlessOverwriting) {
  Make({"a/x.txt=X", "b/y.txt=Y"});
  EXPECT_EQ(1, CopyOnce(P(u"a\\x.txt"), P(u"b\\y.txt"), false));
  EXPECT_EQ(Tree({"Copy of y.txt=X", "y.txt=Y"}), TreeOf(F("b")));
  EXPECT_EQ(1, CopyOnce(P(u"a\\x.txt"), P(u"b\\y.txt"), true));
  EXPECT_EQ(Tree({"Copy of y.txt=X", "y.txt=X"}), TreeOf(F("b")));
}

TEST_F(FileOperationTest, FileIntoAFolderKeepsItsName) {
  Make({"a/x.txt=X", "b/"});
  EXPECT_EQ(1, CopyOnce(P(u"a\\x.txt"), P(u"b"), false));
  EXPECT_EQ(1, CopyOnce(P(u"a\\x.txt"), P(u"b\\"), false));
  EXPECT_EQ(Tree({"Copy of x.txt=X", "x.txt=X"}), TreeOf(F("b")));
}

TEST_F(FileOperationTest, FailsWithoutCreatingAnythingOnMissingOrMismatchedPaths) {
  Make({"folder/", "file.txt=F"});
  struct Case {
    std::u16string source;
    std::u16string destination;
    std::u16string error_text;
  };
  const Case cases[] = {
      {P(u"nothing"), P(u"folder"), P(u"nothing") + u" not found"},
      {P(u"nothing\\deeper"), P(u"folder"), P(u"nothing\\deeper") + u" not found"},
      {P(u"file.txt"), P(u"gone"), P(u"gone") + u" not found"},
      {P(u"folder"), P(u"file.txt"), u"Wrong operation"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << Utf8(c.source) << " -> " << Utf8(c.destination));
    EXPECT_EQ(0, CopyOnce(c.source, c.destination, false));
    EXPECT_EQ(Utf8(c.error_text), Utf8(last_error_text_));
    EXPECT_EQ(0u, last_error_code_);
  }
  EXPECT_EQ(Tree({"file.txt=F", "folder/"}), TreeOf(temp_.path()));
}

TEST_F(FileOperationTest, SetsTheSubfolderBudgetOnlyForADestinationInsideTheSource) {
  struct Case {
    const char16_t* source;
    const char16_t* destination;
    int32_t budget;
  };
  const Case cases[] = {
      {u"D:\\a", u"D:\\a\\b\\c", 2},
      {u"D:\\a\\", u"D:\\a\\x", 0},
      {u"D:\\a", u"E:\\copies\\D:\\a\\b", 3},  // anywhere in the text, not only at its start
      {u"D:\\A", u"D:\\a\\b", 1},              // Windows paths ignore A-Z case
      {u"C:\\Kiosk\\Ext", u"c:\\kiosk\\ext\\x\\y", 2},
      {u"D:\\\u00C4", u"D:\\\u00E4\\b", -1},  // only A-Z
      {u"D:\\a", u"D:\\b", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << Utf8(c.source) << " -> " << Utf8(c.destination));
    FileOperation operation;
    operation.SetSubfolderBudget(c.source, c.destination);
    EXPECT_EQ(c.budget, operation.subfolderBudget);
  }
}

TEST_F(FileOperationTest, CopyIntoItsOwnSubfolderSpendsTheBudgetOnDescents) {
  Make({"a/b/in-b.txt=2", "a/c/in-c.txt=3", "a/top.txt=1"});
  EXPECT_EQ(1, CopyOnce(P(u"a"), P(u"a\\b"), false));
  EXPECT_EQ(Tree({"a/", "a/b/", "a/b/in-b.txt=2", "a/top.txt=1", "in-b.txt=2"}), TreeOf(F("a/b")));
}

TEST_F(FileOperationTest, SourceWithTrailingBackslashIntoItsSubfolderCopiesOnlyItsFiles) {
  Make({"a/x/inner.txt=2", "a/top.txt=1", "a/more.txt=3"});
  EXPECT_EQ(1, CopyOnce(P(u"a\\"), P(u"a\\x"), false));
  EXPECT_EQ(Tree({"a/", "a/more.txt=3", "a/top.txt=1", "inner.txt=2"}), TreeOf(F("a/x")));
}

TEST_F(FileOperationTest, AFileWhereTheFolderShouldBeStopsTheCopy) {
  Make({"src/sub/x.txt=X", "dst/src=I am a file"});
  EXPECT_EQ(0, CopyOnce(P(u"src"), P(u"dst"), false));
  EXPECT_NE(0u, last_error_code_);
  EXPECT_EQ(Utf8(SystemErrorDescription(last_error_code_)), Utf8(last_error_text_));
  EXPECT_EQ("I am a file", ReadFile(F("dst/src")));
}

TEST_F(FileOperationTest, TellsPathKinds) {
  Make({"folder/", "file.txt=F"});
  EXPECT_EQ(PathFolder, FileOperation::GetPathKind(P(u"folder")));
  EXPECT_EQ(PathFile, FileOperation::GetPathKind(P(u"file.txt")));
  EXPECT_EQ(PathMissing, FileOperation::GetPathKind(P(u"gone")));
  EXPECT_EQ(PathMissing, FileOperation::GetPathKind(P(u"gone\\deeper")));
  EXPECT_EQ(PathUndetermined,
            FileOperation::GetPathKind(P(u"") + std::u16string(platform::kMaxPath, u'x')));
}

// Former faults: a path beyond the limit, a name that grows past it, and names that never
// come free must each end the copy with a clear error.

TEST_F(FileOperationTest, ATreeDeeperThanThePathLimitFailsCleanly) {
  // Source and destination each fit; the copy's deeper paths would not.
  std::string source = "s/";
  for (int i = 0; i < 15; ++i) {
    source += "level/";
  }
  std::string destination = "d/";
  while (temp_.WinPath().size() + destination.size() + 10 < 235) {
    destination += "dddddddd/";
  }
  Make({source + "x.txt=X", destination});
  EXPECT_EQ(0, CopyOnce(P(u"s"), P(FromUtf8(destination)), false));
  EXPECT_EQ(platform::kErrorFilenameExcedRange, last_error_code_);
  EXPECT_EQ(Utf8(SystemErrorDescription(platform::kErrorFilenameExcedRange)),
            Utf8(last_error_text_));
  EXPECT_TRUE(fs::exists(F(destination + "s/level")));
  for (const auto& entry : fs::recursive_directory_iterator(F("d"))) {
    EXPECT_LT(testing::ToWinPath(entry.path()).size(), platform::kMaxPath);
  }
}

TEST_F(FileOperationTest, TopLevelPathsBeyondTheLimitFail) {
  Make({"file.txt=F"});
  const std::u16string too_long = P(u"") + std::u16string(platform::kMaxPath, u'x');
  EXPECT_EQ(0, CopyOnce(too_long, P(u""), false));
  EXPECT_EQ(platform::kErrorFilenameExcedRange, last_error_code_);
  EXPECT_EQ(0, CopyOnce(P(u"file.txt"), too_long, false));
  EXPECT_EQ(platform::kErrorFilenameExcedRange, last_error_code_);
}

TEST_F(FileOperationTest, ACopyNameGrowingPastTheLimitFails) {
  // Each taken "Copy of ... Copy (old" name makes the next one 8 characters longer.
  const std::string folder =
      "d" + std::string(platform::kMaxPath - 40 - temp_.WinPath().size(), 'f');
  std::string name = "Copy (old";
  Tree items = {"x=X"};
  for (int i = 0; i < 4; ++i) {
    items.push_back(folder + "/" + name + "=taken");
    name = "Copy of " + name;
  }
  Make(items);
  EXPECT_EQ(0, CopyOnce(P(u"x"), P(FromUtf8(folder + "/Copy (old")), false));
  EXPECT_EQ(platform::kErrorFilenameExcedRange, last_error_code_);
  EXPECT_EQ(4u, TreeOf(F(folder)).size());
}

TEST_F(FileOperationTest, NamesThatNeverComeFreeEndTheCopy) {
  Make({"x.txt=X", "b/Copy (2147483647) of a.txt=1", "b/Copy (2147483648) of a.txt=2"});
  EXPECT_EQ(0, CopyOnce(P(u"x.txt"), P(u"b\\Copy (2147483647) of a.txt"), false));
  EXPECT_EQ(0u, last_error_code_);
  EXPECT_EQ("No free name for a copy of " + Utf8(P(u"b\\Copy (2147483647) of a.txt")),
            Utf8(last_error_text_));
  EXPECT_EQ(2u, TreeOf(F("b")).size());
}

TEST_F(FileOperationTest, AFolderLinkLoopEnds) {
  Make({"src/x.txt=X", "dst/"});
  if (platform::CreateSymbolicLinkForTesting(P(u"src\\loop"), P(u"src"), true) != 0) {
    GTEST_SKIP() << "symbolic links cannot be made here";
  }
  EXPECT_EQ(0, CopyOnce(P(u"src"), P(u"dst"), false));
  // The path limit, or the system's own limit on links followed in one path, ends it.
  constexpr uint32_t kErrorCantResolveFilename = 1921;
  EXPECT_TRUE(last_error_code_ == platform::kErrorFilenameExcedRange ||
              last_error_code_ == kErrorCantResolveFilename)
      << last_error_code_;
  EXPECT_TRUE(fs::is_directory(F("dst/src/loop/loop")));
}

}  // namespace
}  // namespace zelk
