#include "tools/zelkctl/report/doctor_findings.h"

#include <string>

namespace zelk::tools {

std::vector<Finding> ReportFindings(const doctor::Diagnosis& diagnosis) {
  std::vector<Finding> findings;
  for (const doctor::Finding& finding : diagnosis.findings) {
    const std::string line = finding.line == 0 ? "" : ":" + std::to_string(finding.line);
    findings.push_back({finding.severity == doctor::Severity::kError, finding.file + line,
                        finding.message + " [" + doctor::FindingKindId(finding.kind) + "]"});
  }
  return findings;
}

}  // namespace zelk::tools
