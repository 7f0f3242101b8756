// zelkctl settings: every key with the value the browser gets and where it comes from, as a
// browser's policy page shows each policy with its level and source.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/text.h"
#include "config/config_source.h"
#include "config/readers.h"
#include "platform/platform.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/json.h"
#include "tools/zelkctl/key_catalog.h"
#include "tools/zelkctl/setting_rows.h"

namespace zelk::tools {
namespace {

std::string Column(const std::string& text, size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

void PrintTable(const std::vector<SettingRow>& rows) {
  PrintLine(Column("Section", 13) + Column("Key", 25) + Column("Source", 9) + "Value");
  for (const SettingRow& row : rows) {
    const std::string value =
        row.key.type == ValueType::kBool ? row.value : "\"" + row.value + "\"";
    PrintLine(Column(row.key.section, 13) + Column(row.key.key, 25) + Column(row.source, 9) +
              value);
  }
  for (const SettingRow& row : rows) {
    if (!row.warning.empty()) {
      PrintLine("warning: " + row.key.section + "/" + row.key.key + ": " + row.warning);
    }
  }
}

void PrintJson(const std::string& ini_path, bool found, const std::vector<SettingRow>& rows) {
  JsonWriter json;
  json.BeginObject();
  json.Key("ini_path").String(ini_path);
  json.Key("ini_found").Bool(found);
  json.Key("settings").BeginArray();
  for (const SettingRow& row : rows) {
    json.BeginObject();
    json.Key("section").String(row.key.section);
    json.Key("key").String(row.key.key);
    json.Key("type").String(row.key.type == ValueType::kBool ? "boolean" : "text");
    json.Key("value").String(row.value);
    json.Key("source").String(row.source);
    if (!row.warning.empty()) {
      json.Key("warning").String(row.warning);
    }
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  PrintLine(json.text());
}

// The record as the host receives it, sixteen bytes a line with their offset.
void PrintRaw(const HostSettingsBlock& record) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  for (size_t offset = 0; offset < sizeof(HostSettingsBlock); offset += 16) {
    char line[96];
    int used = std::snprintf(line, sizeof(line), "%04zu  0x%04zx ", offset, offset);
    std::string ascii;
    for (size_t i = offset; i < offset + 16 && i < sizeof(HostSettingsBlock); ++i) {
      used +=
          std::snprintf(line + used, sizeof(line) - static_cast<size_t>(used), " %02x", bytes[i]);
      ascii.push_back(bytes[i] >= 32 && bytes[i] < 127 ? static_cast<char>(bytes[i]) : '.');
    }
    PrintLine(std::string(line) + "  " + ascii);
  }
}

int RunSettings(Invocation& invocation) {
  bool raw = false;
  for (const std::string& arg : invocation.args) {
    if (arg != "--raw") {
      std::fprintf(stderr, "zelkctl settings: unknown argument %s\n", arg.c_str());
      return kExitUsage;
    }
    raw = true;
  }
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  // The record comes through the export, exactly as the browser gets it.
  auto record = std::make_unique<HostSettingsBlock>();
  std::memset(record.get(), 0, sizeof(HostSettingsBlock));
  const int found = invocation.library.GetSettings(record.get());
  if (raw) {
    PrintRaw(*record);
    return kExitOk;
  }
  ConfigSource source;
  LocateConfiguration(source);
  const platform::ConfigurationSnapshot snapshot;  // every row from one reading of the files
  const std::vector<SettingRow> rows = ReadSettingRows(source, *record);
  if (invocation.json) {
    PrintJson(ToUtf8(source.ini_path), found != 0, rows);
    return kExitOk;
  }
  PrintLine("zelk.ini: " + ToUtf8(source.ini_path) +
            (found ? "" : "  (missing: defaults and registry only)"));
  PrintLine("");
  PrintTable(rows);
  return kExitOk;
}

}  // namespace

const Command kSettingsCommand = {
    "settings", "[--raw] [--json]",
    "every setting with its effective value and source (default, zelk.ini, HKLM, HKCU); "
    "--raw dumps the record",
    RunSettings};

}  // namespace zelk::tools
