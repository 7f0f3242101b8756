#include "config/settings_loader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "config/command_visibility_table.h"
#include "config/readers.h"
#include "config/settings_table.h"
#include "tests/support/configured_host.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::Utf8;

constexpr unsigned char kMarker = 0xAB;
constexpr int32_t kUnkeyedSlot = 3996;

std::unique_ptr<HostSettingsBlock> MarkedRecord() {
  auto record = std::make_unique<HostSettingsBlock>();
  std::memset(record.get(), kMarker, sizeof(HostSettingsBlock));
  return record;
}

const unsigned char* Bytes(const HostSettingsBlock& record) {
  return reinterpret_cast<const unsigned char*>(&record);
}

int32_t FlagAt(const HostSettingsBlock& record, int32_t offset) {
  int32_t value = 0;
  std::memcpy(&value, Bytes(record) + offset, sizeof(value));
  return value;
}

std::string TextAt(const HostSettingsBlock& record, int32_t offset) {
  return std::string(reinterpret_cast<const char*>(Bytes(record) + offset));
}

class SettingsLoaderTest : public testing::ConfiguredHostTest {
 protected:
  std::unique_ptr<HostSettingsBlock> Load(const std::string& ini) {
    Configure(ini);
    auto record = MarkedRecord();
    LoadSettings(source_, record.get());
    return record;
  }
};

// The record's fields as the host reads them, written out independently of the key table:
// offset, the key that fills it, and its default text or flag.
struct TextField {
  int32_t offset;
  int32_t size;
  const char* key;
  const char* text;
};
const TextField kTextFields[] = {
    {0, 1024, "Title", ""},
    {1024, 1024, "HelpPageURL", ""},
    {2048, 1024, "NewTabURL", "chrome://newtab"},
    {3088, 260, "ProfileFolder", ""},
    {3348, 260, "DefaultPreferences", ""},
    {3608, 260, "DefaultBookmarks", ""},
};
struct FlagField {
  int32_t offset;
  const char* key;
  int32_t value;
};
const FlagField kFlagFields[] = {
    {3072, "OnlyLoadHTTP", 0},     {3076, "CleanProfileOnClose", 0}, {3080, "CheckURLAccess", 0},
    {3084, "FirstRunUIBupass", 1}, {3868, "EnableOverrides", 0},
};

TEST_F(SettingsLoaderTest, EmptyConfigurationGivesEveryDefault) {
  auto record = Load("");
  for (const TextField& d : kTextFields) {
    SCOPED_TRACE(d.offset);
    const std::string text = TextAt(*record, d.offset);
    EXPECT_EQ(d.text, text);
    // The terminator is written; everything after it keeps the caller's marker.
    for (int32_t i = d.offset + static_cast<int32_t>(text.size()) + 1; i < d.offset + d.size; ++i) {
      ASSERT_EQ(kMarker, Bytes(*record)[i]) << "at " << i;
    }
  }
  for (const FlagField& d : kFlagFields) {
    EXPECT_EQ(d.value, FlagAt(*record, d.offset)) << "at " << d.offset;
  }
  for (int32_t offset = kMenuAreaOffset; offset < 4424; offset += 4) {
    if (offset == kUnkeyedSlot) {
      const unsigned char marked[4] = {kMarker, kMarker, kMarker, kMarker};
      EXPECT_EQ(0, std::memcmp(marked, Bytes(*record) + offset, 4)) << "unkeyed slot written";
    } else {
      EXPECT_EQ(1, FlagAt(*record, offset)) << "at " << offset;
    }
  }
  EXPECT_EQ(0, source_.show_command_id);
  EXPECT_EQ(1, source_.clean_profile_extensions);
  EXPECT_EQ(u"", source_.filter_file_path);
  EXPECT_EQ(u"about:blank", source_.denied_page_template);
  EXPECT_EQ(1, source_.settings_loaded);
}

TEST_F(SettingsLoaderTest, EveryKeyLandsInItsField) {
  // Each key of the table set to a value that differs from its default, grouped by section
  // (only the first section of a name is read).
  std::map<std::string, std::string> sections;
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    const SettingKey& key = kSettingKeys[i];
    std::string& lines = sections[Utf8(key.section)];
    lines += Utf8(key.key) + "=";
    lines += key.type == ValueType::kBool ? (key.default_flag ? "FALSE" : "TRUE")
                                          : "value of " + Utf8(key.key);
    lines += "\n";
  }
  auto record = Load(testing::IniOfSections(sections));
  for (const TextField& field : kTextFields) {
    EXPECT_EQ(std::string("value of ") + field.key, TextAt(*record, field.offset));
  }
  for (const FlagField& field : kFlagFields) {
    EXPECT_EQ(1 - field.value, FlagAt(*record, field.offset)) << field.key;
  }
  EXPECT_EQ(1, source_.show_command_id);
  EXPECT_EQ(0, source_.clean_profile_extensions);
  EXPECT_EQ(u"value of CheckURLFile", source_.filter_file_path);
  EXPECT_EQ(u"value of DeniedURLHTML", source_.denied_page_template);
}

TEST_F(SettingsLoaderTest, StringWordsApplyToRecordFields) {
  auto record = Load("[Browser]\nNewTabURL=FALSE\nTitle=TRUE\nHelpPageURL=\n");
  EXPECT_EQ("", TextAt(*record, 2048));
  EXPECT_EQ("", TextAt(*record, 0));
  EXPECT_EQ("", TextAt(*record, 1024));
}

// Each load reads the file anew; the library's own copy is the host's record byte for byte.
TEST_F(SettingsLoaderTest, EachLoadFillsTheRecordAndTheLibrarysCopyAlike) {
  auto first = Load("[Browser]\nTitle=first\n");
  EXPECT_EQ("first", TextAt(*first, 0));
  auto record = Load("[Browser]\nTitle=Library kiosk\n[AppMenu]\nDownloads=FALSE\n");
  EXPECT_EQ(0, std::memcmp(record.get(), &source_.settings_copy, sizeof(HostSettingsBlock)));
  EXPECT_EQ("Library kiosk", TextAt(*record, 0));
  EXPECT_EQ(0, FlagAt(*record, 3988));
  EXPECT_EQ(1, FlagAt(*record, 3984));
  EXPECT_EQ(1, FlagAt(*record, 3992));
}

TEST_F(SettingsLoaderTest, TextTooLongForItsFieldIsCutWithinTheField) {
  const std::string path(400, 'p');
  auto record =
      Load("[Browser]\nProfileFolder=" + path + "\nTitle=" + std::string(2000, 't') + "\n");
  EXPECT_EQ(std::string(259, 'p'), TextAt(*record, 3088));
  EXPECT_EQ(std::string(1023, 't'), TextAt(*record, 0));
  EXPECT_EQ(0, Bytes(*record)[3088 + 259]);
}

TEST(StoreTextFieldTest, NeverSplitsACharacterOfTheCodePage) {
  // Three-byte characters in UTF-8 (the Linux code page); on Windows the code page's
  // default character stands in for each, one byte apiece.
  const std::u16string text(10, u'\u20AC');
  char field[8];
  std::memset(field, 'M', sizeof(field));
  StoreTextField(text, field, sizeof(field));
  const std::string stored(field);
  ASSERT_LT(stored.size(), sizeof(field));
  EXPECT_EQ(stored, platform::WideToAnsi(text).substr(0, stored.size()));
  EXPECT_EQ(0u, stored.size() % platform::WideToAnsi(u"\u20AC").size());
}

TEST_F(SettingsLoaderTest, CharactersOutsideTheCodePageBecomeItsDefaultCharacter) {
  registry_.SetString(platform::RegistryHive::kCurrentUser, u"Browser", u"Title",
                      u"A\xD800Z");  // an unpaired surrogate has no form in any code page
  auto record = Load("");
  EXPECT_EQ(platform::WideToAnsi(u"A\xD800Z"), TextAt(*record, 0));
  EXPECT_EQ('A', TextAt(*record, 0).front());
  EXPECT_EQ('Z', TextAt(*record, 0).back());
  EXPECT_EQ(3u, TextAt(*record, 0).size());
}

}  // namespace
}  // namespace zelk
