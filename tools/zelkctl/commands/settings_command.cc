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
#include "tools/zelkctl/doctor/doctor.h"
#include "tools/zelkctl/support/json.h"
#include "tools/zelkctl/support/key_catalog.h"
#include "tools/zelkctl/support/setting_rows.h"

namespace zelk::tools {
namespace {

struct SettingsOptions {
  bool raw = false;
  bool changed = false;  // only the keys whose value is not the default
};

// The kinds of doctor's findings about each key, so that a value that is not what was
// meant stands out in the table.
void MarkFindings(const doctor::Diagnosis& diagnosis, std::vector<SettingRow>* rows) {
  for (const doctor::Finding& finding : diagnosis.findings) {
    for (SettingRow& row : *rows) {
      if (!finding.key.empty() && finding.section == row.key.section &&
          finding.key == row.key.key) {
        row.doctor.push_back(doctor::FindingKindId(finding.kind));
      }
    }
  }
}

bool IsDefault(const SettingRow& row) {
  return row.value == row.key.default_text;
}

std::string Column(const std::string& text, size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

void PrintTable(const std::vector<SettingRow>& rows) {
  PrintLine(Column("Section", 13) + Column("Key", 25) + Column("Source", 9) + "Value");
  for (const SettingRow& row : rows) {
    const std::string value =
        row.key.type == ValueType::kBool ? row.value : "\"" + row.value + "\"";
    const std::string mark = row.doctor.empty() ? "" : "  <- doctor: " + row.doctor[0];
    PrintLine(Column(row.key.section, 13) + Column(row.key.key, 25) + Column(row.source, 9) +
              value + mark);
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
    if (!row.doctor.empty()) {
      json.Key("doctor").BeginArray();
      for (const std::string& kind : row.doctor) {
        json.String(kind);
      }
      json.EndArray();
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

bool ParseSettingsOptions(const std::vector<std::string>& args, SettingsOptions* options) {
  for (const std::string& arg : args) {
    if (arg == "--raw") {
      options->raw = true;
    } else if (arg == "--changed") {
      options->changed = true;
    } else {
      std::fprintf(stderr, "zelkctl settings: unknown argument %s\n", arg.c_str());
      return false;
    }
  }
  return true;
}

std::vector<SettingRow> ReadRows(const HostSettingsBlock& record,
                                 bool changed_only,
                                 std::string* ini_path) {
  ConfigSource source;
  FindConfiguration(source);  // the library has said whether it is missing
  *ini_path = ToUtf8(source.ini_path);
  std::vector<SettingRow> rows;
  {
    const platform::ConfigurationSnapshot snapshot;  // every row from one reading of the files
    for (SettingRow& row : ReadSettingRows(source, record)) {
      if (!changed_only || !IsDefault(row)) {
        rows.push_back(std::move(row));
      }
    }
  }
  MarkFindings(doctor::DiagnoseInstallation(), &rows);
  return rows;
}

int RunSettings(Invocation& invocation) {
  SettingsOptions options;
  if (!ParseSettingsOptions(invocation.args, &options)) {
    return kExitUsage;
  }
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  // The record comes through the export, exactly as the browser gets it.
  auto record = std::make_unique<HostSettingsBlock>();
  std::memset(record.get(), 0, sizeof(HostSettingsBlock));
  const int found = invocation.library.GetSettings(record.get());
  if (options.raw) {
    PrintRaw(*record);
    return kExitOk;
  }
  std::string ini_path;
  const std::vector<SettingRow> rows = ReadRows(*record, options.changed, &ini_path);
  if (invocation.json) {
    PrintJson(ini_path, found != 0, rows);
    return kExitOk;
  }
  PrintLine("zelk.ini: " + ini_path + (found ? "" : "  (missing: defaults and registry only)"));
  PrintLine("");
  PrintTable(rows);
  return kExitOk;
}

}  // namespace

const Command kSettingsCommand = {
    "settings", "[--raw] [--changed] [--json]",
    "every setting with its effective value and source (default, zelk.ini, HKLM, HKCU), "
    "marked where doctor has a finding; --changed: only values that are not the default; "
    "--raw dumps the record",
    RunSettings};

}  // namespace zelk::tools
