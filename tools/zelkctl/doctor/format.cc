// The findings as doctor prints them: compiler form for people and editors, JSON for
// scripts that check a fleet.
#include <string>
#include <vector>

#include "tools/zelkctl/doctor/doctor.h"
#include "tools/zelkctl/support/json.h"

namespace zelk::tools::doctor {
namespace {

const char* SeverityWord(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

std::string Summary(const Diagnosis& diagnosis) {
  const size_t errors = diagnosis.CountOf(Severity::kError);
  const size_t warnings = diagnosis.CountOf(Severity::kWarning);
  if (errors + warnings == 0) {
    return "doctor: no findings: the installation reads as written";
  }
  return "doctor: " + std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
         std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
}

std::string JsonDiagnosis(const Diagnosis& diagnosis) {
  JsonWriter json;
  json.BeginObject();
  json.Key("ini_path").String(diagnosis.ini_path);
  json.Key("ini_found").Bool(diagnosis.ini_found);
  json.Key("errors").Number(static_cast<int64_t>(diagnosis.CountOf(Severity::kError)));
  json.Key("warnings").Number(static_cast<int64_t>(diagnosis.CountOf(Severity::kWarning)));
  json.Key("findings").BeginArray();
  for (const Finding& finding : diagnosis.findings) {
    json.BeginObject();
    json.Key("file").String(finding.file);
    json.Key("line").Number(static_cast<int64_t>(finding.line));
    json.Key("severity").String(SeverityWord(finding.severity));
    json.Key("kind").String(FindingKindId(finding.kind));
    json.Key("section").String(finding.section);
    json.Key("key").String(finding.key);
    json.Key("message").String(finding.message);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  return json.text();
}

}  // namespace

std::string FormatFinding(const Finding& finding) {
  std::string text = finding.file;
  if (finding.line != 0) {
    text += ":" + std::to_string(finding.line);
  }
  return text + ": " + SeverityWord(finding.severity) + ": " + finding.message + " [" +
         FindingKindId(finding.kind) + "]";
}

std::vector<std::string> FormatDiagnosis(const Diagnosis& diagnosis, bool json) {
  if (json) {
    return {JsonDiagnosis(diagnosis)};
  }
  std::vector<std::string> lines;
  for (const Finding& finding : diagnosis.findings) {
    lines.push_back(FormatFinding(finding));
  }
  lines.push_back(Summary(diagnosis));
  return lines;
}

}  // namespace zelk::tools::doctor
