// The table of every configuration key outside the menu sections: section, name, type,
// default, where the loader stores it and what it means. The loader, the readers' callers,
// the administrator tool and the documentation all derive from this one table.
#ifndef ZELK_CONFIG_SETTINGS_TABLE_H_
#define ZELK_CONFIG_SETTINGS_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/config_source.h"

namespace zelk {

enum class ValueType { kString, kBool };

// What a key is to an administrator: a text, a switch of the browser or the library, or
// the show-or-hide flag of one toolbar or menu entry (the menu table's keys).
enum class KeyKind { kText, kSwitch, kMenuFlag };

// Where LoadSettings puts a value. Keys read only at the moment of use are not loaded.
enum class Destination { kRecord, kConfigSource, kReadAtUse };

// Every key of sections Browser, Files and Overrides. The order of the first fifteen is
// the loader's reading order; the keys read at the moment of use follow.
enum class Setting {
  kTitle,
  kHelpPageUrl,
  kNewTabUrl,
  kOnlyLoadHttp,
  kCleanProfileOnClose,
  kCheckUrlAccess,
  kFirstRunUiBupass,
  kProfileFolder,
  kDefaultPreferences,
  kDefaultBookmarks,
  kShowCommandId,
  kCleanProfileExtensions,
  kCheckUrlFile,
  kDeniedUrlHtml,
  kEnableOverrides,
  kDefaultExtensions,
  kForceDefaults,
  kRestartOnClose,
  kBookmarkBarText,
  kCommandLine,
};

inline constexpr size_t kSettingCount = static_cast<size_t>(Setting::kCommandLine) + 1;

struct SettingKey {
  Setting setting;
  const char16_t* section;
  const char16_t* key;
  ValueType type;
  KeyKind kind;                  // kText or kSwitch, following the type
  const char16_t* default_text;  // strings: the built-in default
  int default_flag;              // booleans: 0 or 1
  Destination destination;
  int32_t record_offset;           // kRecord: offsetof the field in HostSettingsBlock, else -1
  int32_t record_size;             // kRecord: sizeof the field (4 for a flag), else 0
  int ConfigSource::*source_flag;  // kConfigSource booleans
  std::u16string ConfigSource::*source_text;  // kConfigSource strings
  bool security_relevant;                     // a kiosk user must not be able to change it
  const char* meaning;                        // one line for the administrator's reference
};

// All keys of the table, in the order of Setting (checked when the table is compiled).
extern const SettingKey kSettingKeys[kSettingCount];
inline constexpr size_t kSettingKeyCount = kSettingCount;

const SettingKey& SettingInfo(Setting setting);

// Reads a setting of the table with its own default (ReadString / ReadBool).
std::u16string ReadStringSetting(const ConfigSource& source, Setting setting);
int ReadBoolSetting(const ConfigSource& source, Setting setting);

}  // namespace zelk

#endif  // ZELK_CONFIG_SETTINGS_TABLE_H_
