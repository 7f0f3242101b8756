#include "config/readers.h"

#include "common/text.h"
#include "messages/application_message.h"
#include "platform/platform.h"

namespace zelk {
namespace {

constexpr std::u16string_view kIniFileName = u"zelk.ini";
constexpr std::u16string_view kTrueWord = u"TRUE";
constexpr std::u16string_view kFalseWord = u"FALSE";

// Read capacities in characters, terminator included.
constexpr size_t kStringIniCapacity = 2048;
constexpr size_t kBoolIniCapacity = 256;
constexpr size_t kRegistryCapacityChars = 1024;

// A text that no INI line can hold, to tell a missing key from one written as the default.
constexpr std::u16string_view kAbsentProbe = u"\x01\x02zelk-absent\x02\x01";

// The registry levels, lowest precedence first: each accepted value replaces the result.
struct RegistryLevel {
  platform::RegistryHive hive;
  ValueOrigin origin;
};
constexpr RegistryLevel kRegistryLevels[] = {
    {platform::RegistryHive::kLocalMachine, ValueOrigin::kLocalMachine},
    {platform::RegistryHive::kCurrentUser, ValueOrigin::kCurrentUser},
};

bool IsTrueWord(std::u16string_view text) {
  return EqualsIgnoringAsciiCase(text, kTrueWord);
}

// The string rule of every level: TRUE brings back the default, FALSE gives the empty
// string, anything else is taken as it stands.
std::u16string ApplyStringRule(std::u16string_view text, std::u16string_view default_value) {
  if (IsTrueWord(text)) {
    return std::u16string(default_value);
  }
  if (EqualsIgnoringAsciiCase(text, kFalseWord)) {
    return std::u16string();
  }
  return std::u16string(text);
}

// A string value of one hive, or false when the key or value is missing or not usable:
// only REG_SZ and REG_EXPAND_SZ (not expanded), of even length, at most 1023 characters,
// and empty or ending with a zero.
bool ReadRegistryText(platform::RegistryHive hive,
                      std::u16string_view section,
                      std::u16string_view key,
                      std::u16string* text) {
  platform::RegistryValue value;
  const uint32_t error = platform::QueryRegistryValue(hive, RegistryKeyOfSection(section), key,
                                                      kRegistryCapacityChars * 2, &value);
  if (error != platform::kErrorSuccess) {
    return false;
  }
  if (value.type != platform::kRegSz && value.type != platform::kRegExpandSz) {
    return false;
  }
  const std::vector<uint8_t>& data = value.data;
  if (data.size() % 2 != 0 || data.size() > kRegistryCapacityChars * 2) {
    return false;
  }
  if (!data.empty() && (data[data.size() - 1] != 0 || data[data.size() - 2] != 0)) {
    return false;
  }
  std::u16string result;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) {
      break;
    }
    result.push_back(c);
  }
  *text = std::move(result);
  return true;
}

bool IniKeyPresent(const ConfigSource& source,
                   std::u16string_view section,
                   std::u16string_view key,
                   size_t capacity) {
  return platform::ReadIniString(section, key, kAbsentProbe, capacity, source.ini_path) !=
         kAbsentProbe;
}

// The three levels of a string read. The INI file is probed a second time only when the
// caller wants to know where the value came from.
StringReading ReadStringLevels(const ConfigSource& source,
                               std::u16string_view section,
                               std::u16string_view key,
                               std::u16string_view default_value,
                               bool track_origin) {
  StringReading reading;
  reading.value = ApplyStringRule(
      platform::ReadIniString(section, key, kTrueWord, kStringIniCapacity, source.ini_path),
      default_value);
  if (track_origin && IniKeyPresent(source, section, key, kStringIniCapacity)) {
    reading.origin = ValueOrigin::kIniFile;
  }
  for (const RegistryLevel& level : kRegistryLevels) {
    std::u16string text;
    if (ReadRegistryText(level.hive, section, key, &text)) {
      reading.value = ApplyStringRule(text, default_value);
      reading.origin = level.origin;
    }
  }
  return reading;
}

BoolReading ReadBoolLevels(const ConfigSource& source,
                           std::u16string_view section,
                           std::u16string_view key,
                           int default_value,
                           bool track_origin) {
  BoolReading reading;
  const std::u16string_view default_word = default_value == 1 ? kTrueWord : kFalseWord;
  reading.value = IsTrueWord(platform::ReadIniString(section, key, default_word, kBoolIniCapacity,
                                                     source.ini_path))
                      ? 1
                      : 0;
  if (track_origin && IniKeyPresent(source, section, key, kBoolIniCapacity)) {
    reading.origin = ValueOrigin::kIniFile;
  }
  for (const RegistryLevel& level : kRegistryLevels) {
    std::u16string text;
    if (ReadRegistryText(level.hive, section, key, &text)) {
      reading.value = IsTrueWord(text) ? 1 : 0;
      reading.origin = level.origin;
    }
  }
  return reading;
}

}  // namespace

std::u16string RegistryKeyOfSection(std::u16string_view section) {
  std::u16string path(kRegistrySoftwareKey);
  path += u'\\';
  path += kRegistryProductKey;
  path += u'\\';
  path += section;
  return path;
}

int FindConfiguration(ConfigSource& source) {
  const std::u16string executable = platform::HostExecutablePath();
  const size_t last_backslash = executable.rfind(u'\\');
  std::u16string ini_path =
      last_backslash == std::u16string::npos ? u"" : executable.substr(0, last_backslash + 1);
  ini_path += kIniFileName;
  source.ini_path = ini_path;  // recorded before the test, so a missing file is read too
  return platform::PathExists(ini_path) ? 1 : 0;
}

int LocateConfiguration(ConfigSource& source) {
  if (FindConfiguration(source) != 0) {
    return 1;
  }
  ShowApplicationMessage(u"ERROR:\n\nThe INI file " + source.ini_path +
                         u" was not found.\n\nNot loading Zelk.");
  return 0;
}

KeyLevels InspectKey(const ConfigSource& source,
                     std::u16string_view section,
                     std::u16string_view key) {
  KeyLevels levels;
  levels.ini_file.present = IniKeyPresent(source, section, key, kStringIniCapacity);
  if (levels.ini_file.present) {
    levels.ini_file.text =
        platform::ReadIniString(section, key, u"", kStringIniCapacity, source.ini_path);
  }
  levels.local_machine.present = ReadRegistryText(platform::RegistryHive::kLocalMachine, section,
                                                  key, &levels.local_machine.text);
  levels.current_user.present = ReadRegistryText(platform::RegistryHive::kCurrentUser, section, key,
                                                 &levels.current_user.text);
  return levels;
}

StringReading ReadStringWithOrigin(const ConfigSource& source,
                                   std::u16string_view section,
                                   std::u16string_view key,
                                   std::u16string_view default_value) {
  return ReadStringLevels(source, section, key, default_value, true);
}

std::u16string ReadString(const ConfigSource& source,
                          std::u16string_view section,
                          std::u16string_view key,
                          std::u16string_view default_value) {
  return ReadStringLevels(source, section, key, default_value, false).value;
}

BoolReading ReadBoolWithOrigin(const ConfigSource& source,
                               std::u16string_view section,
                               std::u16string_view key,
                               int default_value) {
  return ReadBoolLevels(source, section, key, default_value, true);
}

int ReadBool(const ConfigSource& source,
             std::u16string_view section,
             std::u16string_view key,
             int default_value) {
  return ReadBoolLevels(source, section, key, default_value, false).value;
}

}  // namespace zelk
