#include "config/settings_loader.h"

#include <cstring>
#include <memory>
#include <string>

#include "config/command_visibility_table.h"
#include "config/readers.h"
#include "config/settings_table.h"
#include "platform/platform.h"

namespace zelk {
namespace {

unsigned char* RecordBytes(HostSettingsBlock* record) {
  return reinterpret_cast<unsigned char*>(record);
}

void StoreFlag(int value, HostSettingsBlock* record, int32_t offset) {
  const int32_t flag = value != 0 ? 1 : 0;
  std::memcpy(RecordBytes(record) + offset, &flag, sizeof(flag));
}

void LoadKey(const SettingKey& info, ConfigSource& source, HostSettingsBlock* record) {
  if (info.type == ValueType::kBool) {
    const int value = ReadBool(source, info.section, info.key, info.default_flag);
    if (info.destination == Destination::kRecord) {
      StoreFlag(value, record, info.record_offset);
    } else {
      source.*info.source_flag = value;
    }
    return;
  }
  std::u16string value = ReadString(source, info.section, info.key, info.default_text);
  if (info.destination == Destination::kRecord) {
    StoreTextField(value, reinterpret_cast<char*>(RecordBytes(record) + info.record_offset),
                   static_cast<size_t>(info.record_size));
  } else {
    source.*info.source_text = std::move(value);
  }
}

}  // namespace

void StoreTextField(std::u16string_view text, char* field, size_t field_size) {
  const std::string narrow = platform::WideToAnsi(text);
  const size_t length = platform::AnsiPrefixLength(narrow, field_size - 1);
  std::memcpy(field, narrow.data(), length);
  field[length] = '\0';
}

void LoadSettings(ConfigSource& source, HostSettingsBlock* record) {
  // One view of the configuration for the whole load: on Linux each file is read once.
  const platform::ConfigurationSnapshot snapshot;
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    if (kSettingKeys[i].destination != Destination::kReadAtUse) {
      LoadKey(kSettingKeys[i], source, record);
    }
  }
  for (size_t i = 0; i < ZELK_MENU_FLAG_COUNT; ++i) {
    const CommandVisibilitySlot& slot = kCommandVisibilityTable[i];
    if (slot.key != nullptr) {
      record->menu_flags[i] = ReadBool(source, slot.section, slot.key, kMenuFlagDefault) != 0;
    }
  }
  std::memcpy(&source.settings_copy, record, sizeof(HostSettingsBlock));
  source.settings_loaded = 1;
}

void EnsureSettingsLoaded(ConfigSource& source) {
  if (source.settings_loaded != 0) {
    return;
  }
  LocateConfiguration(source);
  auto scratch = std::make_unique<HostSettingsBlock>();
  LoadSettings(source, scratch.get());
}

}  // namespace zelk
