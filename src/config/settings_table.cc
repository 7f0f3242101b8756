#include "config/settings_table.h"

#include <cstddef>

#include "config/readers.h"

namespace zelk {
namespace {

// Where a key lives in the host's record, taken from the record's declaration in zelk.h.
struct RecordField {
  int32_t offset;
  int32_t size;
};
#define ZELK_RECORD_FIELD(member)                               \
  RecordField {                                                 \
    static_cast<int32_t>(offsetof(HostSettingsBlock, member)),  \
        static_cast<int32_t>(sizeof(HostSettingsBlock::member)) \
  }
constexpr int32_t kNotInRecord = -1;
constexpr RecordField kNoField = {kNotInRecord, 0};

struct Row {
  const char16_t* section;
  const char16_t* key;
  ValueType type;
  const char16_t* default_text;
  int default_flag;
};

// Builds a row from its columns; the destination follows from the storage given.
constexpr SettingKey Key(Setting setting,
                         Row row,
                         RecordField field,
                         int ConfigSource::*source_flag,
                         std::u16string ConfigSource::*source_text,
                         bool security_relevant,
                         const char* meaning) {
  const Destination destination = field.offset != kNotInRecord ? Destination::kRecord
                                  : (source_flag != nullptr || source_text != nullptr)
                                      ? Destination::kConfigSource
                                      : Destination::kReadAtUse;
  const KeyKind kind = row.type == ValueType::kBool ? KeyKind::kSwitch : KeyKind::kText;
  return {setting,          row.section,      row.key,           row.type,     kind,
          row.default_text, row.default_flag, destination,       field.offset, field.size,
          source_flag,      source_text,      security_relevant, meaning};
}

constexpr Row Text(const char16_t* section, const char16_t* key, const char16_t* default_text) {
  return {section, key, ValueType::kString, default_text, 0};
}

constexpr Row Bool(const char16_t* section, const char16_t* key, int default_flag) {
  return {section, key, ValueType::kBool, nullptr, default_flag};
}

constexpr int ConfigSource::*kNoFlag = nullptr;
constexpr std::u16string ConfigSource::*kNoText = nullptr;
constexpr bool kSecurity = true;
constexpr bool kPlain = false;

}  // namespace

// clang-format off
constexpr SettingKey kSettingKeys[] = {
  Key(Setting::kTitle, Text(u"Browser", u"Title", u""), ZELK_RECORD_FIELD(title), kNoFlag, kNoText, kPlain,
      "Window title of the browser."),
  Key(Setting::kHelpPageUrl, Text(u"Browser", u"HelpPageURL", u""), ZELK_RECORD_FIELD(help_page_url), kNoFlag, kNoText, kPlain,
      "Address the browser opens as its help page."),
  Key(Setting::kNewTabUrl, Text(u"Browser", u"NewTabURL", u"chrome://newtab"), ZELK_RECORD_FIELD(new_tab_url), kNoFlag, kNoText, kPlain,
      "Address a new tab opens."),
  Key(Setting::kOnlyLoadHttp, Bool(u"Browser", u"OnlyLoadHTTP", 0), ZELK_RECORD_FIELD(only_load_http), kNoFlag, kNoText, kSecurity,
      "The browser loads only http and https addresses (enforced by the browser)."),
  Key(Setting::kCleanProfileOnClose, Bool(u"Browser", u"CleanProfileOnClose", 0), ZELK_RECORD_FIELD(clean_profile_on_close), kNoFlag, kNoText, kSecurity,
      "Empty the default profile folder when the browser closes, keeping Bookmarks and Preferences."),
  Key(Setting::kCheckUrlAccess, Bool(u"Browser", u"CheckURLAccess", 0), ZELK_RECORD_FIELD(check_url_access), kNoFlag, kNoText, kSecurity,
      "Check every address against the filter file named by Files/CheckURLFile."),
  Key(Setting::kFirstRunUiBupass, Bool(u"Browser", u"FirstRunUIBupass", 1), ZELK_RECORD_FIELD(first_run_ui_bupass), kNoFlag, kNoText, kPlain,
      "Skip the browser's first-run screens."),
  Key(Setting::kProfileFolder, Text(u"Browser", u"ProfileFolder", u""), ZELK_RECORD_FIELD(profile_folder), kNoFlag, kNoText, kPlain,
      "Root of the browser's data; empty means the user's local application data folder."),
  Key(Setting::kDefaultPreferences, Text(u"Browser", u"DefaultPreferences", u""), ZELK_RECORD_FIELD(default_preferences), kNoFlag, kNoText, kPlain,
      "File copied into the profile as Preferences at start; empty means no copy."),
  Key(Setting::kDefaultBookmarks, Text(u"Browser", u"DefaultBookmarks", u""), ZELK_RECORD_FIELD(default_bookmarks), kNoFlag, kNoText, kPlain,
      "File copied into the profile as Bookmarks at start; empty means no copy."),
  Key(Setting::kShowCommandId, Bool(u"Browser", u"ShowCommandId", 0), kNoField, &ConfigSource::show_command_id, kNoText, kPlain,
      "Show each browser command id in a message box (for finding ids)."),
  Key(Setting::kCleanProfileExtensions, Bool(u"Browser", u"CleanProfileExtensions", 1), kNoField, &ConfigSource::clean_profile_extensions, kNoText, kPlain,
      "Remove the profile's extensions folders too when the profile is cleaned."),
  Key(Setting::kCheckUrlFile, Text(u"Files", u"CheckURLFile", u""), kNoField, kNoFlag, &ConfigSource::filter_file_path, kSecurity,
      "Path of the filter file of allow and deny rules for addresses."),
  Key(Setting::kDeniedUrlHtml, Text(u"Files", u"DeniedURLHTML", u"about:blank"), kNoField, kNoFlag, &ConfigSource::denied_page_template, kPlain,
      "Page shown for a refused address; (DENIED_PAGE) and (DENIED_WORD) are filled in."),
  Key(Setting::kEnableOverrides, Bool(u"Overrides", u"EnableOverrides", 0), ZELK_RECORD_FIELD(enable_overrides), kNoFlag, kNoText, kPlain,
      "Let the browser use its override hooks."),
  Key(Setting::kDefaultExtensions, Bool(u"Browser", u"DefaultExtensions", 0), kNoField, kNoFlag, kNoText, kPlain,
      "Copy the Extensions folder beside the browser into the default profile folder at start."),
  Key(Setting::kForceDefaults, Bool(u"Browser", u"ForceDefaults", 0), kNoField, kNoFlag, kNoText, kPlain,
      "Overwrite the profile's Preferences, Bookmarks and extension files at every start."),
  Key(Setting::kRestartOnClose, Bool(u"Browser", u"RestartOnClose", 0), kNoField, kNoFlag, kNoText, kPlain,
      "Start the browser again from Files/CommandLine when it closes."),
  Key(Setting::kBookmarkBarText, Text(u"Browser", u"BookmarkBarText", u""), kNoField, kNoFlag, kNoText, kPlain,
      "Caption of the bookmark bar."),
  Key(Setting::kCommandLine, Text(u"Files", u"CommandLine", u""), kNoField, kNoFlag, kNoText, kPlain,
      "Complete command line of the browser started by RestartOnClose, program first."),
};
// clang-format on

#undef ZELK_RECORD_FIELD

namespace {

// Row i describes Setting i: a missing, doubled or misplaced row fails here.
constexpr bool RowsFollowSettingOrder() {
  for (size_t i = 0; i < kSettingCount; ++i) {
    if (static_cast<size_t>(kSettingKeys[i].setting) != i) {
      return false;
    }
  }
  return true;
}
static_assert(sizeof(kSettingKeys) / sizeof(kSettingKeys[0]) == kSettingCount,
              "one row for every Setting");
static_assert(RowsFollowSettingOrder(), "rows in the order of Setting");

// Every field of the record outside the menu area is filled by exactly one row, and the
// rows that fill it come first, in record order: the loader's reading order.
constexpr bool RecordRowsCoverTheRecord() {
  int32_t next = 0;
  for (size_t i = 0; i < kSettingCount; ++i) {
    const SettingKey& key = kSettingKeys[i];
    if (key.destination != Destination::kRecord) {
      continue;
    }
    if (key.record_offset != next ||
        (key.type == ValueType::kBool) != (key.record_size == sizeof(int32_t))) {
      return false;
    }
    next = key.record_offset + key.record_size;
  }
  return next == static_cast<int32_t>(offsetof(HostSettingsBlock, menu_flags));
}
static_assert(RecordRowsCoverTheRecord(), "the record rows tile the record up to the menus");

}  // namespace

const SettingKey& SettingInfo(Setting setting) {
  return kSettingKeys[static_cast<size_t>(setting)];
}

std::u16string ReadStringSetting(const ConfigSource& source, Setting setting) {
  const SettingKey& info = SettingInfo(setting);
  return ReadString(source, info.section, info.key, info.default_text);
}

int ReadBoolSetting(const ConfigSource& source, Setting setting) {
  const SettingKey& info = SettingInfo(setting);
  return ReadBool(source, info.section, info.key, info.default_flag);
}

}  // namespace zelk
