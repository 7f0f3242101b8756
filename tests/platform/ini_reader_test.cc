// ReadIniString on real files: the Linux reader and, in the Windows build, the real
// GetPrivateProfileStringW must give the answers of these tables. The Windows build also
// sweeps the whole corpus comparing the Linux reader's pure part with the real call.
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/emulation/ini_text.h"
#include "platform/platform.h"
#include "tests/platform/ini_corpus.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

using testing::Utf8;

struct IniCase {
  const char* file;
  const char16_t* section;
  const char16_t* key;
  const char16_t* default_value;
  size_t capacity;
  const char16_t* expected;
};

// Owns a temporary folder holding the whole corpus.
class IniReaderTest : public ::testing::Test {
 protected:
  IniReaderTest() {
    for (const testing::IniCorpusFile& file : testing::IniCorpus()) {
      testing::WriteFile(folder_.path() / file.name, file.bytes);
    }
    std::filesystem::create_directory(folder_.path() / "folder.ini");
  }

  std::u16string PathOf(const char* file) const { return folder_.WinPath(FromUtf8(file)); }

  void Check(const IniCase& c) const {
    SCOPED_TRACE(::testing::Message() << c.file << " [" << Utf8(c.section) << "] " << Utf8(c.key)
                                      << " capacity " << c.capacity);
    EXPECT_EQ(Utf8(c.expected),
              Utf8(ReadIniString(c.section, c.key, c.default_value, c.capacity, PathOf(c.file))));
  }

  testing::TempFolder folder_;
};

// One topic of the reader after another: layout, names, quotes, duplicates and comments,
// encodings, the default for what is missing, and the cut to the buffer.
const IniCase kAnswers[] = {
    // Layout.
    {"layout.ini", u"Browser", u"Title", u"dflt", 256, u"Kiosk"},
    {"layout.ini", u"Browser", u"Spaced Key", u"dflt", 256, u"spaced value"},
    {"layout.ini", u"Browser", u"Empty", u"dflt", 256, u""},
    {"layout.ini", u"Browser", u"EqualsInside", u"dflt", 256, u"a=b=c"},
    {"layout.ini", u"Browser", u"Tabbed", u"dflt", 256, u"tab value"},
    {"layout.ini", u"Browser", u"NoEquals", u"dflt", 256, u"dflt"},
    {"layout.ini", u"Padded", u"Inside", u"dflt", 256, u"padded"},
    {"layout.ini", u"Closed", u"After", u"dflt", 256, u"1"},
    // "[Unclosed" is no header, so the line after it stays in [Closed].
    {"layout.ini", u"Closed", u"Orphan", u"dflt", 256, u"in Closed"},
    {"layout.ini", u"Unclosed", u"Orphan", u"dflt", 256, u"dflt"},
    {"layout.ini", u"Last]", u"Key", u"dflt", 256, u"last"},
    {"layout.ini", u"", u"glob", u"dflt", 256, u"before any section"},
    {"layout.ini", u"", u"", u"dflt", 256, u"nameless"},
    {"line_ends.ini", u"LF", u"b", u"dflt", 256, u"2"},
    {"line_ends.ini", u"CR", u"d", u"dflt", 256, u"4"},
    {"line_ends.ini", u"Mixed", u"f", u"dflt", 256, u"6"},
    {"blanks.ini", u"B", u"a", u"dflt", 256, u"1"},
    {"blanks.ini", u"B", u"b", u"dflt", 256, u"2"},
    // Names.
    {"layout.ini", u"bROWSER", u"TITLE", u"dflt", 256, u"Kiosk"},
    {"layout.ini", u" Browser ", u"\tTitle ", u"dflt", 256, u"Kiosk"},
    {"utf16le.ini", u"SEKTION", u"Gr\u00FC\u00DFe", u"dflt", 256, u"Hallo W\u00E9lt"},
    // Letters outside ASCII are matched exactly.
    {"utf8bom.ini", u"S\u00E9", u"NAME", u"dflt", 256, u"\u00DCn\u00EFcode"},
    {"utf8bom.ini", u"S\u00C9", u"Name", u"dflt", 256, u"dflt"},
    // Quotes.
    {"quotes.ini", u"Q", u"Double", u"dflt", 256, u"quoted value"},
    {"quotes.ini", u"Q", u"Single", u"dflt", 256, u"single"},
    {"quotes.ini", u"Q", u"Spaces", u"dflt", 256, u" inner blanks "},
    {"quotes.ini", u"Q", u"Empty", u"dflt", 256, u""},
    {"quotes.ini", u"Q", u"Lone", u"dflt", 256, u"\""},
    {"quotes.ini", u"Q", u"Mismatched", u"dflt", 256, u"\"abc'"},
    {"quotes.ini", u"Q", u"OpenOnly", u"dflt", 256, u"\"abc"},
    {"quotes.ini", u"Q", u"Inner", u"dflt", 256, u"a \"b\" c"},
    {"quotes.ini", u"Q", u"Nested", u"dflt", 256, u"\"x\""},
    {"utf16le.ini", u"Sektion", u"Quoted", u"dflt", 256, u"x y"},
    // Duplicates and comments.
    {"duplicates.ini", u"Dup", u"Key", u"dflt", 256, u"first"},
    {"duplicates.ini", u"DUP", u"key", u"dflt", 256, u"first"},
    {"duplicates.ini", u"Other", u"Key", u"dflt", 256, u"other"},
    // Only the first section of a name is searched.
    {"duplicates.ini", u"Dup", u"Late", u"dflt", 256, u"dflt"},
    {"duplicates.ini", u"Empty", u"Key", u"dflt", 256, u"dflt"},
    // The first key of a name wins even when it has no value.
    {"duplicates.ini", u"Dup2", u"Flag", u"dflt", 256, u"dflt"},
    {"comments.ini", u"C", u"Commented", u"dflt", 256, u"dflt"},
    {"comments.ini", u"C", u";Commented", u"dflt", 256, u"yes"},
    {"comments.ini", u"C", u"Hashed", u"dflt", 256, u"dflt"},
    {"comments.ini", u"C", u"# Hashed", u"dflt", 256, u"yes"},
    {"comments.ini", u"C", u"Value", u"dflt", 256, u"1 ; trailing"},
    {"comments.ini", u"C", u"Real", u"dflt", 256, u"2"},
    {"comments.ini", u"Fake", u"Real", u"dflt", 256, u"dflt"},
    // Encodings.
    {"utf16le.ini", u"Sektion", u"Emoji", u"dflt", 256, u"\U0001F600"},
    {"utf16be.ini", u"Be", u"Key", u"dflt", 256, u"big \u00E9ndian"},
    {"nulchar.ini", u"N", u"A", u"dflt", 256, u"x"},
    {"nulchar.ini", u"N", u"B", u"dflt", 256, u"z"},
    {"nulchar16.ini", u"N", u"A", u"dflt", 256, u"x"},
    {"nulchar16.ini", u"N", u"B", u"dflt", 256, u"z"},
    {"bom_only.ini", u"S", u"a", u"dflt", 256, u"dflt"},
    {"garbage.ini", u"S", u"a", u"dflt", 256, u"dflt"},
    // The default for what is missing.
    {"absent.ini", u"S", u"K", u"dflt", 256, u"dflt"},
    {"layout.ini", u"Missing", u"Title", u"dflt", 256, u"dflt"},
    {"layout.ini", u"Browser", u"Missing", u"dflt", 256, u"dflt"},
    {"folder.ini", u"S", u"K", u"dflt", 256, u"dflt"},
    {"empty.ini", u"S", u"K", u"dflt", 256, u"dflt"},
    // Trailing spaces of the default go, leading ones stay.
    {"absent.ini", u"S", u"K", u"  dflt  ", 256, u"  dflt"},
    {"layout.ini", u"Browser", u"Missing", u"  dflt  ", 256, u"  dflt"},
    // Once the file has been read, the default loses its quotes as a value would.
    {"layout.ini", u"Browser", u"Missing", u"\"q d\"", 256, u"q d"},
    {"empty.ini", u"S", u"K", u"'q'", 256, u"q"},
    // A missing file in a folder that exists reads as an empty file; a folder, or a file
    // whose folder is missing, cannot be read at all.
    {"absent.ini", u"S", u"K", u"\"q d\"", 256, u"q d"},
    {"folder.ini", u"S", u"K", u"\"q d\"", 256, u"\"q d\""},
    {"absent\\absent.ini", u"S", u"K", u"\"q d\"", 256, u"\"q d\""},
    // Values and defaults cut to the buffer.
    {"long.ini", u"L", u"Exact", u"dflt", 7, u"abcdef"},
    {"long.ini", u"L", u"Exact", u"dflt", 6, u"abcde"},
    {"long.ini", u"L", u"Exact", u"dflt", 2, u"a"},
    {"long.ini", u"L", u"Exact", u"dflt", 1, u""},
    {"long.ini", u"L", u"Exact", u"dflt", 0, u""},
    {"long.ini", u"L", u"Quoted", u"dflt", 4, u"abc"},
    {"quotes.ini", u"Q", u"Empty", u"dflt", 1, u""},
    {"long.ini", u"L", u"Missing", u"defdef", 4, u"def"},
    {"long.ini", u"L", u"Missing", u"defdef", 7, u"defdef"},
    {"absent.ini", u"L", u"Missing", u"defdef", 6, u"defde"},
};

TEST_F(IniReaderTest, CutsLongValuesToTheBuffer) {
  const std::u16string path = PathOf("long.ini");
  EXPECT_EQ(std::u16string(2047, u'v'), ReadIniString(u"L", u"Long", u"dflt", 2048, path));
  EXPECT_EQ(std::u16string(3000, u'v'), ReadIniString(u"L", u"Long", u"dflt", 3001, path));
  EXPECT_EQ(std::u16string(3000, u'v'), ReadIniString(u"L", u"Long", u"dflt", SIZE_MAX, path));
}

// A value in quotes that exactly fills the buffer: wine cuts one character more than the
// buffer needs (it gives "ab"), Windows gives the whole value.
TEST_F(IniReaderTest, QuotedValueThatExactlyFitsIsWhole) {
  const std::string bytes = testing::ReadFile(folder_.path() / "long.ini");
  EXPECT_EQ(u"abcd", IniStringFromBytes(bytes, u"L", u"Quoted", u"dflt", 5));
  EXPECT_EQ(u"abc", IniStringFromBytes(bytes, u"L", u"Quoted", u"dflt", 4));
}

TEST_F(IniReaderTest, AnswersAsWindowsDoes) {
  for (const IniCase& c : kAnswers) {
    Check(c);
  }
}

// The lone last byte of a UTF-16 file of odd length counts as a character of its value.
// Wine fills the missing half of that code unit from memory it never set, so its answer
// varies from run to run and is not compared.
TEST(IniTextTest, LoneLastByteOfUtf16IsACharacter) {
  using namespace std::string_literals;
  EXPECT_EQ(u"xy", IniStringFromBytes("\xFF\xFE[\0S\0]\0\n\0a\0=\0x\0y"s, u"S", u"a", u"d", 256));
  EXPECT_EQ(u"xy", IniStringFromBytes("\xFE\xFF\0[\0S\0]\0\n\0a\0=\0xy"s, u"S", u"a", u"d", 256));
}

// Windows documents that trailing blanks of the default are removed; wine keeps one
// blank of a default made only of blanks.
TEST_F(IniReaderTest, DefaultOfBlanksOnlyIsEmpty) {
  const std::string bytes = testing::ReadFile(folder_.path() / "layout.ini");
  EXPECT_EQ(u"", IniStringFromBytes(bytes, u"Browser", u"Missing", u"   ", 256));
  EXPECT_EQ(u"", IniDefaultString(u"   ", 256));
}

TEST_F(IniReaderTest, PathsOfTheLimitAndBeyondAreNotRead) {
  const std::filesystem::path folder = folder_.path() / std::string(250, 'x');
  std::filesystem::create_directories(folder);
  testing::WriteFile(folder / "long.ini", "[S]\na=1\n");
  const std::u16string path = testing::ToWinPath(folder / "long.ini");
  ASSERT_GE(path.size(), kMaxPath);
  EXPECT_EQ(u"dflt", ReadIniString(u"S", u"a", u"dflt", 256, path));
  EXPECT_EQ(u"dflt", ReadIniString(u"S", u"a", u"dflt", 256, u""));
}

#ifndef _WIN32
TEST_F(IniReaderTest, PathsWithSlashesWorkOnLinux) {
  std::u16string path = PathOf("layout.ini");
  for (char16_t& c : path) {
    c = c == u'\\' ? u'/' : c;
  }
  EXPECT_EQ(u"Kiosk", ReadIniString(u"Browser", u"Title", u"dflt", 256, path));
}

// Files without a byte order mark are UTF-8 on Linux; bytes that do not decode become
// U+FFFD each.
TEST_F(IniReaderTest, NarrowFilesAreUtf8OnLinux) {
  testing::WriteFile(folder_.path() / "narrow.ini", "[S\xC3\xA9]\nv=caf\xC3\xA9 \xFF!\n");
  EXPECT_EQ(u"caf\u00E9 \uFFFD!",
            ReadIniString(u"S\u00E9", u"v", u"dflt", 256, PathOf("narrow.ini")));
}

// Only a regular file of at most 64 MB, no line above 1 MB, is read; any other reads as a
// missing file, at once.
TEST_F(IniReaderTest, OnlyBoundedRegularFilesAreRead) {
  const std::string line(size_t{1} << 20, 'x');
  testing::WriteFile(folder_.path() / "fits.ini", "[B]\nTitle=t\n" + line + "\n");
  testing::WriteFile(folder_.path() / "long.ini", "[B]\nTitle=t\n" + line + "x\n");
  ASSERT_EQ(0, mkfifo((folder_.path() / "fifo.ini").c_str(), 0600));
  EXPECT_EQ(u"t", ReadIniString(u"B", u"Title", u"dflt", 256, PathOf("fits.ini")));
  for (const char* file : {"long.ini", "fifo.ini"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(u"dflt", ReadIniString(u"B", u"Title", u"dflt", 256, PathOf(file)));
  }
  EXPECT_EQ(u"dflt", ReadIniString(u"B", u"Title", u"dflt", 256, u"\\dev\\zero"));
}
#endif

#ifdef _WIN32
// The pure reader against the real GetPrivateProfileStringW, for every section and key
// named by each corpus file, with several defaults and capacities. The capacities leave
// out those where a quoted value exactly fits (see QuotedValueThatExactlyFitsIsWhole).
TEST_F(IniReaderTest, PureReaderAgreesWithGetPrivateProfileString) {
  const char16_t* const kDefaultsToTry[] = {u"dflt", u"dflt  ", u"\"quoted dflt\" ", u""};
  const size_t kCapacities[] = {0, 1, 2, 3, 6, 9, 256, 2048};
  int compared = 0;
  for (const testing::IniCorpusFile& file : testing::IniCorpus()) {
    for (const std::u16string& section : file.sections) {
      for (const std::u16string& key : file.keys) {
        for (const char16_t* default_value : kDefaultsToTry) {
          for (size_t capacity : kCapacities) {
            SCOPED_TRACE(::testing::Message()
                         << file.name << " [" << Utf8(section) << "] " << Utf8(key) << " default "
                         << Utf8(default_value) << " capacity " << capacity);
            EXPECT_EQ(Utf8(ReadIniString(section, key, default_value, capacity, PathOf(file.name))),
                      Utf8(IniStringFromBytes(file.bytes, section, key, default_value, capacity)));
            ++compared;
          }
        }
      }
    }
  }
  EXPECT_GT(compared, 3000);
}
#endif

}  // namespace
}  // namespace zelk::platform
