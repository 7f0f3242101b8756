// zelkctl settings: the record the host would get, as a table.
#include <cinttypes>
#include <cstring>
#include <memory>
#include <string>

#include "common/text.h"
#include "config/command_visibility_table.h"
#include "config/config_source.h"
#include "config/readers.h"
#include "config/settings_table.h"
#include "tools/zelkctl/cli.h"

namespace zelk::tools {
namespace {

std::string Row(const std::string& section, const std::string& key, const std::string& value) {
  char line[512];
  std::snprintf(line, sizeof(line), "%-12s %-24s %s", section.c_str(), key.c_str(),
                value.c_str());
  return line;
}

int32_t FlagAt(const HostSettingsBlock& record, int32_t offset) {
  int32_t value = 0;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(&record) + offset, sizeof(value));
  return value;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Values the library keeps for itself or reads when it needs them, read as it reads them.
std::string LibraryValue(const ConfigSource& source, const SettingKey& key) {
  if (key.type == ValueType::kBool) {
    return std::to_string(ReadBool(source, key.section, key.key, key.default_flag));
  }
  return Quoted(ToUtf8(ReadString(source, key.section, key.key, key.default_text)));
}

std::string RecordValue(const HostSettingsBlock& record, const SettingKey& key) {
  if (key.type == ValueType::kBool) {
    return std::to_string(FlagAt(record, key.record_offset));
  }
  // Text fields are in the host's code page, which is UTF-8 wherever zelkctl prints.
  return Quoted(reinterpret_cast<const char*>(&record) + key.record_offset);
}

int RunSettings(Invocation& invocation) {
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  auto record = std::make_unique<HostSettingsBlock>();
  const int found = invocation.library.GetSettings(record.get());
  ConfigSource source;
  LocateConfiguration(source);
  PrintLine(std::string("zelk.ini: ") + ToUtf8(source.ini_path) +
            (found ? "" : "  (missing: defaults and registry only)"));
  PrintLine("");
  PrintLine(Row("Section", "Key", "Value"));
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    const SettingKey& key = kSettingKeys[i];
    const std::string value = key.destination == Destination::kRecord
                                  ? RecordValue(*record, key)
                                  : LibraryValue(source, key);
    PrintLine(Row(ToUtf8(key.section), ToUtf8(key.key), value));
  }
  for (size_t i = 0; i < ZELK_MENU_FLAG_COUNT; ++i) {
    const CommandVisibilitySlot& slot = kCommandVisibilityTable[i];
    if (slot.key != nullptr) {
      PrintLine(Row(ToUtf8(slot.section), ToUtf8(slot.key),
                    std::to_string(FlagAt(*record, MenuSlotOffset(i)))));
    }
  }
  return kExitOk;
}

}  // namespace

const Command kSettingsCommand = {
    "settings", "", "print every setting the browser would get, by section and key",
    RunSettings};

}  // namespace zelk::tools
