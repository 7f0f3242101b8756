// The diagnosis of the installation zelkctl stands in: zelk.ini read as the library reads
// it, then each family of checks over the whole configuration.
#include "tools/zelkctl/doctor/doctor.h"

#include <algorithm>
#include <new>

#include "common/text.h"
#include "config/readers.h"
#include "platform/platform.h"
#include "tools/zelkctl/doctor/bounded_file.h"
#include "tools/zelkctl/doctor/ini_checks.h"
#include "tools/zelkctl/doctor/installation.h"

namespace zelk::tools::doctor {
namespace {

// A zelk.ini with every key set and commented holds well under 100 KB.
constexpr size_t kIniFileLimit = size_t{1} << 20;

Finding FileFinding(const std::string& file, FindingKind kind, std::string message) {
  return {file, 0, Severity::kError, kind, std::move(message), "", ""};
}

// zelk.ini's own findings; keeps its lines for placing the others.
void ReadIni(Installation& installation, bool found, std::vector<Finding>* findings) {
  const std::string& file = installation.ini_file;
  if (!found) {
    findings->push_back(FileFinding(
        file, FindingKind::kConfigMissing,
        "zelk.ini does not exist: at every start the library says so and prepares no profile, "
        "and every key comes from the registry or its default"));
    return;
  }
  const BoundedFile read = ReadBoundedFile(installation.source.ini_path, kIniFileLimit);
  if (read.status == BoundedFile::Status::kFolder) {
    findings->push_back(FileFinding(file, FindingKind::kConfigUnreadable,
                                    "zelk.ini is a folder: the library counts it as present, "
                                    "and every key reads as its default"));
    return;
  }
  if (read.status != BoundedFile::Status::kRead) {
    findings->push_back(FileFinding(file, FindingKind::kConfigUnreadable,
                                    "zelk.ini " + DescribeFileProblem(read, kIniFileLimit)));
    return;
  }
  for (Finding& finding : DiagnoseIniBytes(file, read.bytes)) {
    findings->push_back(std::move(finding));
  }
  if (IniEncodingProblem(read.bytes).empty()) {
    installation.ini_lines = ScanIniBytes(read.bytes);
  }
}

void Diagnose(Diagnosis* diagnosis) {
  const platform::ConfigurationSnapshot snapshot;  // each file read once, as one load does
  Installation installation;
  const bool found = FindConfiguration(installation.source) != 0;  // a finding, not a box
  installation.ini_file = DisplayPath(installation.source.ini_path);
  diagnosis->ini_path = installation.ini_file;
  diagnosis->ini_found = found;
  std::vector<Finding>& findings = diagnosis->findings;
  ReadIni(installation, found, &findings);
  const std::string registry_problem = installation.registry.Load();
  if (!registry_problem.empty()) {
    findings.push_back(FileFinding(
        installation.registry.file(), FindingKind::kConfigUnreadable,
        "the registry file " + registry_problem + ": the library sees an empty registry"));
  }
  CheckRegistry(installation, &findings);
  CheckNamedFiles(installation, &findings);
  CheckSwitches(installation, &findings);
  CheckDeniedPage(installation, &findings);
  CheckFilterFile(installation, &findings);
}

// Files in the order they were first named (zelk.ini, the registry, the filter file), and
// each file's findings by line.
void SortByFileAndLine(std::vector<Finding>* findings) {
  std::vector<std::string> files;
  for (const Finding& finding : *findings) {
    if (std::find(files.begin(), files.end(), finding.file) == files.end()) {
      files.push_back(finding.file);
    }
  }
  auto rank = [&files](const Finding& finding) {
    return std::find(files.begin(), files.end(), finding.file) - files.begin();
  };
  std::stable_sort(findings->begin(), findings->end(), [&rank](const Finding& a, const Finding& b) {
    return rank(a) != rank(b) ? rank(a) < rank(b) : a.line < b.line;
  });
}

}  // namespace

std::string DisplayPath(std::u16string_view path) {
  std::string text = ToUtf8(path);
#ifndef _WIN32
  std::replace(text.begin(), text.end(), '\\', '/');
#endif
  return text;
}

Place Installation::PlaceOf(std::u16string_view section, std::u16string_view key) const {
  const KeyLevels levels = InspectKey(source, section, key);
  for (const auto& [present, hive] :
       {std::pair{levels.current_user.present, platform::RegistryHive::kCurrentUser},
        std::pair{levels.local_machine.present, platform::RegistryHive::kLocalMachine}}) {
    if (present) {
      return {registry.FileOf(hive, section), registry.LineOf(hive, section, key)};
    }
  }
  return {ini_file, IniLineOfKey(ini_lines, section, key)};
}

Finding Installation::KeyFinding(std::u16string_view section,
                                 std::u16string_view key,
                                 FindingKind kind,
                                 Severity severity,
                                 std::string message) const {
  Place place = PlaceOf(section, key);
  return {std::move(place.file), place.line,      severity,   kind,
          std::move(message),    ToUtf8(section), ToUtf8(key)};
}

Finding Installation::SettingFinding(Setting setting,
                                     FindingKind kind,
                                     Severity severity,
                                     std::string message) const {
  const SettingKey& key = SettingInfo(setting);
  return KeyFinding(key.section, key.key, kind, severity, std::move(message));
}

Diagnosis DiagnoseInstallation() {
  Diagnosis diagnosis;
  try {
    Diagnose(&diagnosis);
  } catch (const std::bad_alloc&) {
    diagnosis.findings.push_back(FileFinding(diagnosis.ini_path, FindingKind::kConfigUnreadable,
                                             "doctor ran out of memory; the check is incomplete"));
  }
  SortByFileAndLine(&diagnosis.findings);
  return diagnosis;
}

}  // namespace zelk::tools::doctor
