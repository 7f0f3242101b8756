#include "config/settings_table.h"

#include "config/readers.h"

namespace zelk {
namespace {

constexpr int32_t kNotInRecord = -1;

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
                         int32_t record_offset,
                         int32_t record_size,
                         int ConfigSource::*source_flag,
                         std::u16string ConfigSource::*source_text,
                         bool security_relevant,
                         const char* meaning) {
  const Destination destination = record_offset != kNotInRecord ? Destination::kRecord
                                  : (source_flag != nullptr || source_text != nullptr)
                                      ? Destination::kConfigSource
                                      : Destination::kReadAtUse;
  return {setting,          row.section,       row.key,       row.type,    row.default_text,
          row.default_flag, destination,       record_offset, record_size, source_flag,
          source_text,      security_relevant, meaning};
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
const SettingKey kSettingKeys[] = {
  Key(Setting::kTitle, Text(u"Browser", u"Title", u""), 0, 1024, kNoFlag, kNoText, kPlain,
      "Window title of the browser."),
  Key(Setting::kHelpPageUrl, Text(u"Browser", u"HelpPageURL", u""), 1024, 1024, kNoFlag, kNoText, kPlain,
      "Address the browser opens as its help page."),
  Key(Setting::kNewTabUrl, Text(u"Browser", u"NewTabURL", u"chrome://newtab"), 2048, 1024, kNoFlag, kNoText, kPlain,
      "Address a new tab opens."),
  Key(Setting::kOnlyLoadHttp, Bool(u"Browser", u"OnlyLoadHTTP", 0), 3072, 4, kNoFlag, kNoText, kSecurity,
      "The browser loads only http and https addresses (enforced by the browser)."),
  Key(Setting::kCleanProfileOnClose, Bool(u"Browser", u"CleanProfileOnClose", 0), 3076, 4, kNoFlag, kNoText, kSecurity,
      "Empty the default profile folder when the browser closes, keeping Bookmarks and Preferences."),
  Key(Setting::kCheckUrlAccess, Bool(u"Browser", u"CheckURLAccess", 0), 3080, 4, kNoFlag, kNoText, kSecurity,
      "Check every address against the filter file named by Files/CheckURLFile."),
  Key(Setting::kFirstRunUiBupass, Bool(u"Browser", u"FirstRunUIBupass", 1), 3084, 4, kNoFlag, kNoText, kPlain,
      "Skip the browser's first-run screens."),
  Key(Setting::kProfileFolder, Text(u"Browser", u"ProfileFolder", u""), 3088, 260, kNoFlag, kNoText, kPlain,
      "Root of the browser's data; empty means the user's local application data folder."),
  Key(Setting::kDefaultPreferences, Text(u"Browser", u"DefaultPreferences", u""), 3348, 260, kNoFlag, kNoText, kPlain,
      "File copied into the profile as Preferences at start; empty means no copy."),
  Key(Setting::kDefaultBookmarks, Text(u"Browser", u"DefaultBookmarks", u""), 3608, 260, kNoFlag, kNoText, kPlain,
      "File copied into the profile as Bookmarks at start; empty means no copy."),
  Key(Setting::kShowCommandId, Bool(u"Browser", u"ShowCommandId", 0), kNotInRecord, 0, &ConfigSource::show_command_id, kNoText, kPlain,
      "Show each browser command id in a message box (for finding ids)."),
  Key(Setting::kCleanProfileExtensions, Bool(u"Browser", u"CleanProfileExtensions", 1), kNotInRecord, 0, &ConfigSource::clean_profile_extensions, kNoText, kPlain,
      "Remove the profile's extensions folders too when the profile is cleaned."),
  Key(Setting::kCheckUrlFile, Text(u"Files", u"CheckURLFile", u""), kNotInRecord, 0, kNoFlag, &ConfigSource::filter_file_path, kSecurity,
      "Path of the filter file of allow and deny rules for addresses."),
  Key(Setting::kDeniedUrlHtml, Text(u"Files", u"DeniedURLHTML", u"about:blank"), kNotInRecord, 0, kNoFlag, &ConfigSource::denied_page_template, kPlain,
      "Page shown for a refused address; (DENIED_PAGE) and (DENIED_WORD) are filled in."),
  Key(Setting::kEnableOverrides, Bool(u"Overrides", u"EnableOverrides", 0), 3868, 4, kNoFlag, kNoText, kPlain,
      "Let the browser use its override hooks."),
  Key(Setting::kDefaultExtensions, Bool(u"Browser", u"DefaultExtensions", 0), kNotInRecord, 0, kNoFlag, kNoText, kPlain,
      "Copy the Extensions folder beside the browser into the default profile folder at start."),
  Key(Setting::kForceDefaults, Bool(u"Browser", u"ForceDefaults", 0), kNotInRecord, 0, kNoFlag, kNoText, kPlain,
      "Overwrite the profile's Preferences, Bookmarks and extension files at every start."),
  Key(Setting::kRestartOnClose, Bool(u"Browser", u"RestartOnClose", 0), kNotInRecord, 0, kNoFlag, kNoText, kPlain,
      "Start the browser again from Files/CommandLine when it closes."),
  Key(Setting::kBookmarkBarText, Text(u"Browser", u"BookmarkBarText", u""), kNotInRecord, 0, kNoFlag, kNoText, kPlain,
      "Caption of the bookmark bar."),
  Key(Setting::kCommandLine, Text(u"Files", u"CommandLine", u""), kNotInRecord, 0, kNoFlag, kNoText, kPlain,
      "Complete command line of the browser started by RestartOnClose, program first."),
};
// clang-format on

const size_t kSettingKeyCount = sizeof(kSettingKeys) / sizeof(kSettingKeys[0]);

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
