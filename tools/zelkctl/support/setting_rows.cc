#include "tools/zelkctl/support/setting_rows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/text.h"
#include "config/readers.h"
#include "platform/platform.h"
#include "tools/zelkctl/doctor/registry_checks.h"

namespace zelk::tools {
namespace {

const char* SourceName(ValueOrigin origin) {
  switch (origin) {
    case ValueOrigin::kDefault:
      return "default";
    case ValueOrigin::kIniFile:
      return "zelk.ini";
    case ValueOrigin::kLocalMachine:
      return "HKLM";
    case ValueOrigin::kCurrentUser:
      return "HKCU";
  }
  return "";
}

// A value of the host's record, as the host reads it.
std::string RecordValue(const HostSettingsBlock& record, const CatalogKey& key) {
  if (key.kind == KeyKind::kMenuFlag) {
    return record.menu_flags[key.menu_slot] ? "TRUE" : "FALSE";
  }
  const auto* bytes = reinterpret_cast<const char*>(&record) + key.record_offset;
  if (key.type == ValueType::kBool) {
    int32_t flag = 0;
    std::memcpy(&flag, bytes, sizeof(flag));
    return flag ? "TRUE" : "FALSE";
  }
  return RecordText(bytes, sizeof(HostSettingsBlock) - static_cast<size_t>(key.record_offset));
}

SettingRow ReadRow(const ConfigSource& source,
                   const HostSettingsBlock& record,
                   const CatalogKey& key) {
  SettingRow row{key, "", "", "", {}};
  const std::u16string section = FromUtf8(key.section);
  const std::u16string name = FromUtf8(key.key);
  if (key.type == ValueType::kBool) {
    const BoolReading reading =
        ReadBoolWithOrigin(source, section, name, key.default_text == "TRUE" ? 1 : 0);
    row.value = reading.value ? "TRUE" : "FALSE";
    row.source = SourceName(reading.origin);
  } else {
    const StringReading reading =
        ReadStringWithOrigin(source, section, name, FromUtf8(key.default_text));
    row.value = ToUtf8(reading.value);
    row.source = SourceName(reading.origin);
  }
  if (key.record_offset >= 0) {
    row.value = RecordValue(record, key);  // what the host really gets
  }
  row.warning = doctor::UserOverrideText(key.security_relevant, InspectKey(source, section, name));
  return row;
}

}  // namespace

std::string RecordText(const char* field, size_t size) {
  const size_t length = static_cast<size_t>(std::find(field, field + size, '\0') - field);
  return ToUtf8(platform::AnsiToWide(std::string_view(field, length)));
}

std::vector<SettingRow> ReadSettingRows(const ConfigSource& source,
                                        const HostSettingsBlock& record) {
  std::vector<SettingRow> rows;
  for (const CatalogKey& key : AllKeys()) {
    rows.push_back(ReadRow(source, record, key));
  }
  return rows;
}

}  // namespace zelk::tools
