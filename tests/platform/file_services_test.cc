// The file and folder services of the platform seam, on real files: each backend must
// give Windows' answers (Linux emulates them).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/links_for_testing.h"
#include "platform/platform.h"
#include "tests/support/temp_folder_test.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::Utf8;
using testing::WriteFile;

constexpr uint32_t kErrorDirectory = 267;

class FileServicesTest : public testing::TempFolderTest {
 protected:
  void SetUp() override {
    WriteFile(F("file.txt"), "content");
    WriteFile(F("folder/inner/x"), "x");
  }
};

struct ErrorCase {
  const char16_t* path;
  uint32_t error;
};

TEST_F(FileServicesTest, ListsDotEntriesFirstThenEveryEntry) {
  std::vector<DirectoryEntry> entries;
  ASSERT_EQ(0u, ListFolder(P(u"folder\\*.*"), &entries));
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ(".", Utf8(entries[0].name));
  EXPECT_EQ("..", Utf8(entries[1].name));
  EXPECT_EQ("inner", Utf8(entries[2].name));
  EXPECT_NE(0u, entries[2].attributes & kAttributeDirectory);

  ASSERT_EQ(0u, ListFolder(P(u"folder\\inner\\*"), &entries));
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("x", Utf8(entries[2].name));
  EXPECT_EQ(0u, entries[2].attributes & kAttributeDirectory);

  EXPECT_EQ(kErrorPathNotFound, ListFolder(P(u"gone\\*.*"), &entries));
}

// Attributes tell files from folders, and a missing file from a missing path. Paths are
// resolved by their text before any file system sees them, on Windows and in the emulation
// alike: ".." after a folder that does not exist, "." and doubled separators, trailing dots
// and spaces.
TEST_F(FileServicesTest, AttributesFollowThePathAsWindowsResolvesIt) {
  const struct {
    const char16_t* path;
    uint32_t error;
    uint32_t directory;  // kAttributeDirectory when it names a folder
  } kPaths[] = {
      {u"folder", 0, kAttributeDirectory},
      {u"file.txt", 0, 0},
      {u"folder/inner", 0, kAttributeDirectory},  // slashes work too
      {u"gone", kErrorFileNotFound, 0},
      {u"gone\\deeper", kErrorPathNotFound, 0},
      {u"folder\\gone", kErrorFileNotFound, 0},
      {u"nothere\\..\\file.txt", 0, 0},
      {u"nothere\\deeper\\..\\..\\file.txt", 0, 0},
      {u"folder\\inner\\..\\..\\file.txt", 0, 0},
      {u".\\folder\\.\\inner\\x", 0, 0},
      {u"folder\\\\inner\\x", 0, 0},
      {u"file.txt.", 0, 0},
      {u"file.txt . .", 0, 0},
      {u"folder\\inner.", 0, kAttributeDirectory},
      {u"folder\\inner\\x...", 0, 0},
      {u"folder\\inner\\x  ", 0, 0},
      {u"folder\\nothere\\..", 0, kAttributeDirectory},
      {u"nothere\\..\\gone", kErrorFileNotFound, 0},
  };
  for (const auto& c : kPaths) {
    SCOPED_TRACE(Utf8(c.path));
    uint32_t attributes = 0;
    EXPECT_EQ(c.error, GetPathAttributes(P(c.path), &attributes));
    if (c.error == 0) {
      EXPECT_EQ(c.directory, attributes & kAttributeDirectory);
    }
  }
  ReadOnlyFile file;
  EXPECT_EQ(0u, file.Open(P(u"nothere\\..\\file.txt.")));
  EXPECT_EQ(0u, CopyFileTo(P(u"gone\\..\\file.txt "), P(u"folder\\.\\copy."), true));
  EXPECT_EQ("content", ReadFile(F("folder/copy")));
  EXPECT_EQ(0u, CreateFolder(P(u"made.")));
  EXPECT_TRUE(fs::is_directory(F("made")));
}

#ifndef _WIN32
TEST_F(FileServicesTest, ListsInNtfsOrder) {
  for (const char* name : {"b", "A", "_x", "a.txt", "C", "B2", "a"}) {
    WriteFile(F(std::string("order/") + name), "");
  }
  std::vector<DirectoryEntry> entries;
  ASSERT_EQ(0u, ListFolder(P(u"order\\*.*"), &entries));
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : entries) {
    names.push_back(Utf8(entry.name));
  }
  // Upper-cased code units: "_" (0x5F) sorts after the letters.
  EXPECT_EQ(std::vector<std::string>({".", "..", "A", "a", "a.txt", "b", "B2", "C", "_x"}), names);
}

// A folder another file system is mounted on reads as a junction does on Windows;
// an ordinary folder does not.
TEST_F(FileServicesTest, MountPointsAreReparsePoints) {
  uint32_t attributes = 0;
  ASSERT_EQ(0u, GetPathAttributes(u"\\proc", &attributes));
  EXPECT_EQ(kAttributeDirectory | kAttributeReparsePoint, attributes);
  ASSERT_EQ(0u, GetPathAttributes(P(u"folder"), &attributes));
  EXPECT_EQ(kAttributeDirectory, attributes);
}

TEST_F(FileServicesTest, PathsBeyondTheLimitAreRefused) {
  const std::u16string too_long = P(u"") + std::u16string(kMaxPath, u'x');
  uint32_t attributes = 0;
  std::vector<DirectoryEntry> entries;
  EXPECT_EQ(kErrorFilenameExcedRange, GetPathAttributes(too_long, &attributes));
  EXPECT_EQ(kErrorFilenameExcedRange, ListFolder(too_long + u"\\*.*", &entries));
  EXPECT_EQ(kErrorFilenameExcedRange, CreateFolder(too_long));
  EXPECT_EQ(kErrorFilenameExcedRange, CopyFileTo(P(u"file.txt"), too_long, true));
  EXPECT_EQ(kErrorFilenameExcedRange, ProbeOpenForRead(too_long));
}
#endif

TEST_F(FileServicesTest, CreatesAndRemovesOneFolderAtATime) {
  EXPECT_EQ(0u, CreateFolder(P(u"new")));
  EXPECT_TRUE(fs::is_directory(F("new")));
  const ErrorCase creations[] = {{u"new", kErrorAlreadyExists},
                                 {u"file.txt", kErrorAlreadyExists},
                                 {u"gone\\new", kErrorPathNotFound}};
  for (const ErrorCase& c : creations) {
    SCOPED_TRACE(Utf8(c.path));
    EXPECT_EQ(c.error, CreateFolder(P(c.path)));
  }
  EXPECT_EQ(kErrorDirNotEmpty, RemoveFolder(P(u"folder")));
  EXPECT_EQ(kErrorDirectory, RemoveFolder(P(u"file.txt")));
  EXPECT_EQ(kErrorFileNotFound, RemoveFolder(P(u"gone")));
  EXPECT_EQ(0u, RemoveFolder(P(u"new")));
  EXPECT_FALSE(fs::exists(F("new")));
}

TEST_F(FileServicesTest, RemovesFilesButNotFoldersOrReadOnlyFiles) {
  WriteFile(F("read-only"), "r");
  fs::permissions(F("read-only"), fs::perms::owner_write, fs::perm_options::remove);
  const ErrorCase cases[] = {{u"folder", kErrorAccessDenied},
                             {u"read-only", kErrorAccessDenied},
                             {u"gone", kErrorFileNotFound},
                             {u"gone\\x", kErrorPathNotFound},
                             {u"file.txt", 0}};
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    EXPECT_EQ(c.error, RemoveFile(P(c.path)));
  }
  EXPECT_FALSE(fs::exists(F("file.txt")));
  EXPECT_TRUE(fs::exists(F("read-only")));
}

TEST_F(FileServicesTest, RemovesLinksAsLinks) {
  if (CreateSymbolicLinkForTesting(P(u"folder-link"), P(u"folder"), true) != 0) {
    GTEST_SKIP() << "symbolic links cannot be made here";
  }
  ASSERT_EQ(0u, CreateSymbolicLinkForTesting(P(u"file-link"), P(u"file.txt"), false));
  std::vector<DirectoryEntry> entries;
  ASSERT_EQ(0u, ListFolder(P(u"*.*"), &entries));
  for (const DirectoryEntry& entry : entries) {
    if (entry.name == u"folder-link") {
      EXPECT_EQ(kAttributeDirectory | kAttributeReparsePoint,
                entry.attributes & (kAttributeDirectory | kAttributeReparsePoint));
    }
    if (entry.name == u"file-link") {
      EXPECT_EQ(kAttributeReparsePoint,
                entry.attributes & (kAttributeDirectory | kAttributeReparsePoint));
    }
  }
  EXPECT_EQ(0u, RemoveFolder(P(u"folder-link")));
  EXPECT_EQ(0u, RemoveFile(P(u"file-link")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(F("folder-link"))));
  EXPECT_FALSE(fs::exists(fs::symlink_status(F("file-link"))));
  EXPECT_EQ("x", ReadFile(F("folder/inner/x")));
  EXPECT_EQ("content", ReadFile(F("file.txt")));
}

TEST_F(FileServicesTest, CopiesInFailIfExistsModeOrReplacing) {
  WriteFile(F("target"), "old");
  EXPECT_EQ(kErrorFileExists, CopyFileTo(P(u"file.txt"), P(u"target"), true));
  EXPECT_EQ("old", ReadFile(F("target")));
  EXPECT_EQ(0u, CopyFileTo(P(u"file.txt"), P(u"target"), false));
  EXPECT_EQ("content", ReadFile(F("target")));
  EXPECT_EQ(0u, CopyFileTo(P(u"file.txt"), P(u"folder\\copy"), true));
  EXPECT_EQ("content", ReadFile(F("folder/copy")));

  const struct {
    const char16_t* source;
    const char16_t* target;
    uint32_t error;
  } failures[] = {
      {u"gone", u"new", kErrorFileNotFound},
      {u"gone\\x", u"new", kErrorPathNotFound},
      {u"file.txt", u"gone\\new", kErrorPathNotFound},
      {u"folder", u"new", kErrorAccessDenied},
  };
  for (const auto& c : failures) {
    SCOPED_TRACE(Utf8(c.source) + " -> " + Utf8(c.target));
    EXPECT_EQ(c.error, CopyFileTo(P(c.source), P(c.target), true));
  }
  EXPECT_FALSE(fs::exists(F("new")));
  // A copy onto itself fails and loses nothing.
  EXPECT_NE(0u, CopyFileTo(P(u"file.txt"), P(u"file.txt"), false));
  EXPECT_EQ("content", ReadFile(F("file.txt")));
}

TEST_F(FileServicesTest, CopyKeepsTheReadOnlyAttribute) {
  WriteFile(F("read-only"), "r");
  fs::permissions(F("read-only"), fs::perms::owner_write, fs::perm_options::remove);
  ASSERT_EQ(0u, CopyFileTo(P(u"read-only"), P(u"copy"), true));
  uint32_t attributes = 0;
  ASSERT_EQ(0u, GetPathAttributes(P(u"copy"), &attributes));
  EXPECT_NE(0u, attributes & kAttributeReadOnly);
#ifndef _WIN32
  // Windows refuses to replace a read-only file; the emulation must too. (Wine replaces it.)
  EXPECT_EQ(kErrorAccessDenied, CopyFileTo(P(u"file.txt"), P(u"copy"), false));
  EXPECT_EQ("r", ReadFile(F("copy")));
#endif
}

TEST_F(FileServicesTest, ProbeOpensFilesOnly) {
  EXPECT_EQ(0u, ProbeOpenForRead(P(u"file.txt")));
  EXPECT_EQ(kErrorFileNotFound, ProbeOpenForRead(P(u"gone")));
  EXPECT_NE(0u, ProbeOpenForRead(P(u"folder")));
}

TEST_F(FileServicesTest, ReadOnlyFileReadsToTheEnd) {
  ReadOnlyFile file;
  EXPECT_EQ(kErrorFileNotFound, file.Open(P(u"gone")));
  EXPECT_FALSE(file.is_open());
  uint64_t size = 0;
  EXPECT_NE(0u, file.Size(&size));
  ASSERT_EQ(0u, file.Open(P(u"file.txt")));
  ASSERT_EQ(0u, file.Size(&size));
  EXPECT_EQ(7u, size);
  ReadOnlyFile moved(std::move(file));
  EXPECT_FALSE(file.is_open());
  ASSERT_TRUE(moved.is_open());
  std::string text;
  char buffer[3];
  size_t read = 0;
  do {
    ASSERT_EQ(0u, moved.Read(buffer, sizeof buffer, &read));
    text.append(buffer, read);
  } while (read != 0);
  EXPECT_EQ("content", text);
  EXPECT_EQ(0u, moved.Close());
  EXPECT_FALSE(moved.is_open());
  EXPECT_NE(0u, moved.Read(buffer, sizeof buffer, &read));
}

TEST(AppendPathTest, JoinsWithOneBackslashWithinTheLimit) {
  const struct {
    std::u16string path;
    const char16_t* more;
    const char16_t* joined;
  } cases[] = {
      {u"C:\\a", u"b\\c", u"C:\\a\\b\\c"},
      {u"C:\\a\\", u"b", u"C:\\a\\b"},
      {u"C:\\a", u"\\b", u"C:\\a\\b"},
      {u"C:\\" + std::u16string(250, u'r'), u"12345", nullptr},   // 259 characters: fits
      {u"C:\\" + std::u16string(250, u'r'), u"123456", nullptr},  // 260: does not
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.path) + " + " + Utf8(c.more));
    std::u16string path = c.path;
    const std::u16string expected =
        c.joined != nullptr ? std::u16string(c.joined) : c.path + u"\\" + c.more;
    const bool fits = expected.size() < kMaxPath;
    EXPECT_EQ(fits, AppendPath(&path, c.more));
    EXPECT_EQ(Utf8(fits ? expected : c.path), Utf8(path));
  }
}

TEST(SystemErrorTextTest, EveryCodeGetsALineEndingInCrLf) {
  for (uint32_t code :
       {kErrorFileNotFound, kErrorPathNotFound, kErrorAccessDenied, kErrorFileExists,
        kErrorDirNotEmpty, kErrorAlreadyExists, kErrorFilenameExcedRange, kErrorDiskFull}) {
    SCOPED_TRACE(code);
    const std::u16string text = SystemErrorText(code);
    ASSERT_GT(text.size(), 2u);
    EXPECT_EQ(u"\r\n", text.substr(text.size() - 2));
  }
#ifndef _WIN32
  EXPECT_EQ("The system cannot find the file specified.\r\n", Utf8(SystemErrorText(2)));
  EXPECT_EQ("The system cannot find the path specified.\r\n", Utf8(SystemErrorText(3)));
  EXPECT_EQ("The file exists.\r\n", Utf8(SystemErrorText(80)));
  EXPECT_EQ("Unknown error 4242.\r\n", Utf8(SystemErrorText(4242)));
#endif
}

}  // namespace
}  // namespace zelk::platform
