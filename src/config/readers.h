// The configuration lookup and the two typed readers through which every setting is read.
//
// A value comes from up to three places, each overriding the one before: zelk.ini beside
// the host's executable, then the key "Software\Velmora Labs\Zelk\<section>" under
// HKEY_LOCAL_MACHINE, then the same key under HKEY_CURRENT_USER. The readers cache
// nothing: each read consults the file and both keys afresh, except that within one
// settings load (a platform::ConfigurationSnapshot) the Linux emulation reads each file
// once. The readers never fail and never show anything: a source that cannot be used
// contributes nothing.
#ifndef ZELK_CONFIG_READERS_H_
#define ZELK_CONFIG_READERS_H_

#include <string>
#include <string_view>

#include "config/config_source.h"

namespace zelk {

// Where an effective value came from, lowest precedence first.
enum class ValueOrigin { kDefault, kIniFile, kLocalMachine, kCurrentUser };

// Records the path of zelk.ini beside the host's executable in `source` and returns 1
// when the file (or a folder of that name) exists. When it is missing, shows the
// missing-configuration message and returns 0 once the user has closed it.
int LocateConfiguration(ConfigSource& source);

// LocateConfiguration without the message, for readers that report a missing file their
// own way (the administrator's tool, beside a library that has already told the user).
int FindConfiguration(ConfigSource& source);

struct StringReading {
  std::u16string value;
  ValueOrigin origin = ValueOrigin::kDefault;
};

struct BoolReading {
  int value = 0;
  ValueOrigin origin = ValueOrigin::kDefault;
};

// A string setting. At every level the word TRUE (any case) stands for `default_value`
// and FALSE for the empty string; any other text is taken as it stands.
StringReading ReadStringWithOrigin(const ConfigSource& source,
                                   std::u16string_view section,
                                   std::u16string_view key,
                                   std::u16string_view default_value);
std::u16string ReadString(const ConfigSource& source,
                          std::u16string_view section,
                          std::u16string_view key,
                          std::u16string_view default_value);

// A boolean setting: 1 only for the word TRUE (any case), 0 for any other text.
BoolReading ReadBoolWithOrigin(const ConfigSource& source,
                               std::u16string_view section,
                               std::u16string_view key,
                               int default_value);
int ReadBool(const ConfigSource& source,
             std::u16string_view section,
             std::u16string_view key,
             int default_value);

// What each source holds for one key, for tools that show where a value comes from. A
// level is `present` when it contributes to the result (a registry value of an unusable
// type, size or form is not present).
struct KeyLevels {
  struct Level {
    bool present = false;
    std::u16string text;
  };
  Level ini_file;
  Level local_machine;
  Level current_user;
};
KeyLevels InspectKey(const ConfigSource& source,
                     std::u16string_view section,
                     std::u16string_view key);

// Where the sections lie below either hive: "Software\Velmora Labs\Zelk\<section>". A
// 32-bit library on 64-bit Windows finds the machine's keys in the 32-bit view, with
// "WOW6432Node" between the two parts.
inline constexpr std::u16string_view kRegistrySoftwareKey = u"Software";
inline constexpr std::u16string_view kRegistryProductKey = u"Velmora Labs\\Zelk";

// The registry key of a section, below either hive ("Software\Velmora Labs\Zelk\" and the
// section; the empty section gives the product's own key with its trailing backslash).
std::u16string RegistryKeyOfSection(std::u16string_view section);

}  // namespace zelk

#endif  // ZELK_CONFIG_READERS_H_
