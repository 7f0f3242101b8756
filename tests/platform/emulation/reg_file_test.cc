// RegFile on the corpus and on files that only the Linux emulation reads the same way as
// Windows (the Windows build compares the corpus with regedit's own import as well).
#include <cstdint>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/emulation/reg_file.h"
#include "platform/platform.h"
#include "tests/platform/ini_corpus.h"
#include "tests/platform/reg_corpus.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

using testing::RegSzBytes;
using testing::Utf8;

constexpr char kRoot[] = "HKEY_CURRENT_USER\\Software\\ZelkTest";
constexpr char16_t kRootKey[] = u"Software\\ZelkTest\\";

using Bytes = std::vector<uint8_t>;

RegFile ParseCorpusFile(const char* name) {
  for (const testing::RegCorpusFile& file : testing::RegCorpus()) {
    if (std::string(file.name) == name) {
      return RegFile::Parse(testing::RegCorpusBytes(file, kRoot));
    }
  }
  ADD_FAILURE() << "no corpus file " << name;
  return RegFile();
}

struct ValueCase {
  const char16_t* key;  // below {ROOT}
  const char16_t* name;
  uint32_t type;
  std::vector<uint8_t> data;
};

void ExpectValues(const RegFile& registry, const std::vector<ValueCase>& cases) {
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << Utf8(c.key) << " value '" << Utf8(c.name) << "'");
    const RegistryValue* value =
        registry.FindValue(RegistryHive::kCurrentUser, kRootKey + std::u16string(c.key), c.name);
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(c.type, value->type);
    EXPECT_EQ(c.data, value->data);
  }
}

TEST(RegFileTest, ReadsEveryValueType) {
  ExpectValues(ParseCorpusFile("types"),
               {
                   {u"Types", u"Sz", kRegSz, RegSzBytes(u"plain text")},
                   {u"Types", u"Escaped", kRegSz, RegSzBytes(u"back\\slash \"quoted\"")},
                   {u"Types", u"Unknown escape", kRegSz, RegSzBytes(u"C:Temp")},
                   {u"Types", u"Empty", kRegSz, RegSzBytes(u"")},
                   {u"Types", u"", kRegSz, RegSzBytes(u"default value")},
                   {u"Types", u"Wide", kRegSz, RegSzBytes(u"Gr\u00FC\u00DFe \U0001F600")},
                   {u"Types", u"Dword", kRegDword, Bytes{0x2a, 0, 0, 0}},
                   {u"Types", u"ShortDword", kRegDword, Bytes{0x1a, 0, 0, 0}},
                   {u"Types", u"Binary", kRegBinary, Bytes{1, 2, 0xff}},
                   {u"Types", u"EmptyBinary", kRegBinary, {}},
                   {u"Types", u"Expand", kRegExpandSz, RegSzBytes(u"%A%")},
                   {u"Types", u"Multi", kRegMultiSz, Bytes{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
                   {u"Types", u"Qword", 11, Bytes{1, 0, 0, 0, 0, 0, 0, 0}},
                   {u"Types", u"None", 0, {}},
                   {u"Types", u"Continued", kRegBinary, Bytes{1, 2, 3, 4, 5}},
                   {u"Types", u"Commented", kRegSz, RegSzBytes(u"x")},
                   {u"Types", u"Spaced", kRegDword, Bytes{1, 0, 0, 0}},
                   {u"Types", u"Indented", kRegBinary, Bytes{0x7f}},
                   {u"Types", u"Semicolon", kRegSz, RegSzBytes(u"a;b")},
                   {u"Types", u"Bracket]", kRegSz, RegSzBytes(u"b")},
                   {u"Types", u"\\Backslash name", kRegSz, RegSzBytes(u"n")},
               });
}

TEST(RegFileTest, CreatesDeletesAndMergesKeys) {
  const RegFile registry = ParseCorpusFile("keys");
  ExpectValues(registry, {
                             {u"Kept", u"keep", kRegSz, RegSzBytes(u"1")},
                             {u"Kept", u"case", kRegSz, RegSzBytes(u"second")},
                             {u"Kept", u"again", kRegSz, RegSzBytes(u"1")},
                             {u"Kept\\Deeper", u"trailing", kRegSz, RegSzBytes(u"1")},
                             {u"Doubled\\Slash", u"doubled", kRegSz, RegSzBytes(u"1")},
                             {u"Tail", u"tail", kRegSz, RegSzBytes(u"1")},
                             {u"Tail", u"stays in Tail", kRegSz, RegSzBytes(u"1")},
                         });
  for (const char16_t* name : {u"drop", u"after", u"nowhere", u"nowhere either"}) {
    EXPECT_EQ(nullptr,
              registry.FindValue(RegistryHive::kCurrentUser, u"Software\\ZelkTest\\Kept", name))
        << Utf8(name);
  }
  EXPECT_FALSE(registry.HasKey(RegistryHive::kCurrentUser, u"Software\\ZelkTest\\Gone"));
  EXPECT_FALSE(registry.HasKey(RegistryHive::kCurrentUser, u"Software\\ZelkTest\\Gone\\Sub"));
  EXPECT_FALSE(registry.HasKey(RegistryHive::kCurrentUser, u"Software\\ZelkTest\\Blank"));
  EXPECT_FALSE(registry.HasKey(RegistryHive::kCurrentUser, u"Software\\ZelkTest\\Abbreviated"));
  // Keys above a written key exist; the hive itself always does.
  EXPECT_TRUE(registry.HasKey(RegistryHive::kCurrentUser, u"Software"));
  EXPECT_TRUE(registry.HasKey(RegistryHive::kCurrentUser, u""));
  EXPECT_TRUE(registry.HasKey(RegistryHive::kLocalMachine, u""));
  EXPECT_FALSE(registry.HasKey(RegistryHive::kLocalMachine, u"Software"));
  // A value written again keeps the name it was first written with.
  const auto& kept = registry.keys().at(u"hkcu\\software\\zelktest\\kept");
  EXPECT_EQ(u"CASE", kept.values.at(u"case").name);
}

TEST(RegFileTest, PassesOverLinesThatDoNotParse) {
  const RegFile registry = ParseCorpusFile("rejected");
  ExpectValues(registry, {{u"Rejected", u"Good", kRegSz, RegSzBytes(u"1")},
                          {u"Rejected", u"Last", kRegSz, RegSzBytes(u"1")}});
  const auto& rejected = registry.keys().at(u"hkcu\\software\\zelktest\\rejected");
  EXPECT_EQ(2u, rejected.values.size());
}

TEST(RegFileTest, Regedit4TextTypesHoldNarrowText) {
  ExpectValues(ParseCorpusFile("regedit4"),
               {
                   {u"Four", u"Sz", kRegSz, RegSzBytes(u"four")},
                   {u"Four", u"Expand", kRegExpandSz, RegSzBytes(u"%A%")},
                   {u"Four", u"Multi", kRegMultiSz, Bytes{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
                   {u"Four", u"Unterminated", kRegExpandSz, RegSzBytes(u"%A%")},
                   {u"Four", u"Binary", kRegBinary, Bytes{0x25, 0x41}},
                   {u"Four", u"Dword", kRegDword, Bytes{4, 0, 0, 0}},
               });
  ExpectValues(ParseCorpusFile("line_ends"), {{u"LF", u"s", kRegSz, RegSzBytes(u"lf")},
                                              {u"CR", u"s", kRegSz, RegSzBytes(u"cr")},
                                              {u"CR", u"b", kRegBinary, Bytes{1, 2}}});
}

TEST(RegFileTest, FilesWithoutTheHeaderAreEmpty) {
  for (const char* name : {"not_a_header", "blank_first", "lower_case_header"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(ParseCorpusFile(name).keys().empty());
  }
}

struct FileCase {
  const char* name;
  std::string bytes;
};

// Not in the shared corpus, because wine's regedit differs from Windows on them: it turns
// the text types of any file without a UTF-16 mark into UTF-16, adds a terminating zero
// to text types written in hex, and refuses a UTF-8 mark.
TEST(RegFileTest, HexDataOfVersion5FilesIsKeptAsWritten) {
  const std::string body =
      "\r\n[HKEY_LOCAL_MACHINE\\Software\\Z]\r\n"
      "\"Odd\"=hex(1):41,00,42\r\n"
      "\"Unterminated\"=hex(1):41,00,42,00\r\n"
      "\"Expand\"=hex(2):25,00,00,00\r\n";
  const FileCase kFiles[] = {
      {"utf16", testing::Utf16FileBytes(FromUtf8("Windows Registry Editor Version 5.00" + body))},
      {"utf8 mark", "\xEF\xBB\xBFWindows Registry Editor Version 5.00" + body},
      {"narrow", "Windows Registry Editor Version 5.00" + body},
  };
  for (const FileCase& file : kFiles) {
    SCOPED_TRACE(file.name);
    const RegFile registry = RegFile::Parse(file.bytes);
    const auto find = [&](const char16_t* name) {
      return registry.FindValue(RegistryHive::kLocalMachine, u"software\\z", name);
    };
    ASSERT_NE(nullptr, find(u"Odd"));
    EXPECT_EQ(Bytes({0x41, 0, 0x42}), find(u"Odd")->data);
    ASSERT_NE(nullptr, find(u"Unterminated"));
    EXPECT_EQ(Bytes({0x41, 0, 0x42, 0}), find(u"Unterminated")->data);
    ASSERT_NE(nullptr, find(u"Expand"));
    EXPECT_EQ(RegSzBytes(u"%"), find(u"Expand")->data);
  }
}

TEST(RegFileTest, GarbageIsAnEmptyRegistry) {
  const FileCase kGarbage[] = {
      {"empty", ""},
      {"mark only", "\xFF\xFE"},
      {"odd utf16", "\xFF\xFEW"},
      {"binary", std::string("\x00\x01\x02\xFF[]\"=\x00", 10)},
      {"ini file", "[Browser]\nTitle=x\n"},
      {"header cut", "Windows Registry Editor"},
      {"keys only", "[HKEY_CURRENT_USER\\Software\\Z]\n\"a\"=\"b\"\n"},
  };
  for (const FileCase& file : kGarbage) {
    SCOPED_TRACE(file.name);
    const RegFile registry = RegFile::Parse(file.bytes);
    EXPECT_TRUE(registry.keys().empty());
    EXPECT_FALSE(registry.HasKey(RegistryHive::kCurrentUser, u"Software\\Z"));
  }
}

// A text with the escape \0 is invalid, and the line is passed over like any other;
// wine's regedit stops reading the file there.
TEST(RegFileTest, NulEscapeInvalidatesOnlyItsLine) {
  const RegFile registry =
      RegFile::Parse("REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"nul\"=\"a\\0b\"\n\"after\"=dword:1\n");
  EXPECT_EQ(nullptr, registry.FindValue(RegistryHive::kCurrentUser, u"A", u"nul"));
  EXPECT_NE(nullptr, registry.FindValue(RegistryHive::kCurrentUser, u"A", u"after"));
}

// A continued hex list that the file ends is dropped, and a deleted hive stays.
TEST(RegFileTest, UnfinishedListsAndHiveDeletionsAreIgnored) {
  const RegFile registry = RegFile::Parse(
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"kept\"=dword:1\n[-HKEY_CURRENT_USER]\n"
      "[HKEY_CURRENT_USER\\A]\n\"cut\"=hex:01,\\\n");
  EXPECT_NE(nullptr, registry.FindValue(RegistryHive::kCurrentUser, u"A", u"kept"));
  EXPECT_EQ(nullptr, registry.FindValue(RegistryHive::kCurrentUser, u"A", u"cut"));
}

}  // namespace
}  // namespace zelk::platform
