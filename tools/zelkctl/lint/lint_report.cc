// The report of `zelkctl lint` as text and as JSON.
#include <algorithm>
#include <string>
#include <vector>

#include "common/text.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "tools/zelkctl/support/json.h"

namespace zelk::tools {
namespace {

const char* SeverityName(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

std::string Field(const char* name, const std::string& json_value) {
  return JsonQuote(name) + ": " + json_value;
}

std::vector<std::string> TextLines(const std::string& file, const LintReport& report) {
  std::vector<std::string> lines;
  for (const LintFinding& finding : report.findings) {
    lines.push_back(file + ":" + std::to_string(finding.line) + ":" +
                    std::to_string(finding.column) + ": " + SeverityName(finding.severity) + ": " +
                    finding.message);
  }
  std::string summary = file + ": " + std::to_string(report.CountOf(Severity::kError)) +
                        " error(s), " + std::to_string(report.CountOf(Severity::kWarning)) +
                        " warning(s)";
  if (!report.expectations.empty()) {
    const size_t passed = static_cast<size_t>(
        std::count_if(report.expectations.begin(), report.expectations.end(),
                      [](const ExpectationResult& result) { return result.passed; }));
    summary += "; " + std::to_string(passed) + " of " + std::to_string(report.expectations.size()) +
               " expectation(s) passed";
  }
  lines.push_back(summary);
  return lines;
}

std::vector<std::string> JsonLines(const std::string& file, const LintReport& report) {
  std::vector<std::string> lines = {
      "{", "  " + Field("file", JsonQuote(file)) + ",",
      "  " + Field("errors", std::to_string(report.CountOf(Severity::kError))) + ",",
      "  " + Field("warnings", std::to_string(report.CountOf(Severity::kWarning))) + ",",
      "  \"findings\": ["};
  for (size_t i = 0; i < report.findings.size(); ++i) {
    const LintFinding& f = report.findings[i];
    lines.push_back(
        "    {" + Field("file", JsonQuote(file)) + ", " + Field("line", std::to_string(f.line)) +
        ", " + Field("column", std::to_string(f.column)) + ", " +
        Field("severity", JsonQuote(SeverityName(f.severity))) + ", " +
        Field("check", JsonQuote(f.check)) + ", " + Field("message", JsonQuote(f.message)) + "}" +
        (i + 1 < report.findings.size() ? "," : ""));
  }
  lines.push_back("  ],");
  lines.push_back("  \"expectations\": [");
  for (size_t i = 0; i < report.expectations.size(); ++i) {
    const ExpectationResult& e = report.expectations[i];
    lines.push_back("    {" + Field("line", std::to_string(e.line)) + ", " +
                    Field("expect", JsonQuote(e.expect_allow ? "allow" : "deny")) + ", " +
                    Field("url", JsonQuote(ToUtf8(e.url))) + ", " +
                    Field("result", JsonQuote(e.allowed ? "allow" : "deny")) + ", " +
                    Field("passed", e.passed ? "true" : "false") + ", " +
                    Field("explanation", JsonQuote(e.explanation)) + ", " +
                    Field("rules_tried", std::to_string(e.rules_tried)) + ", " +
                    Field("steps", std::to_string(e.steps)) + "}" +
                    (i + 1 < report.expectations.size() ? "," : ""));
  }
  lines.push_back("  ]");
  lines.push_back("}");
  return lines;
}

}  // namespace

std::vector<std::string> FormatLintReport(const std::string& file,
                                          const LintReport& report,
                                          bool json) {
  return json ? JsonLines(file, report) : TextLines(file, report);
}

size_t LintReport::CountOf(Severity severity) const {
  return static_cast<size_t>(
      std::count_if(findings.begin(), findings.end(),
                    [severity](const LintFinding& f) { return f.severity == severity; }));
}

}  // namespace zelk::tools
