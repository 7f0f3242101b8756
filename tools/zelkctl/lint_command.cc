// zelkctl lint: the checks of a filter file, in the form compilers use so that editors can
// jump to each line, and the file's own ";expect" tests.
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "common/text.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/filter_lint.h"
#include "tools/zelkctl/json_text.h"
#include "urlfilter/filter_file_decoder.h"

namespace zelk::tools {
namespace {

// Reads the file's bytes into lines exactly as the library does. False when the file
// cannot be opened or read.
bool ReadFilterFile(const std::string& path, std::vector<std::u16string>* lines) {
  const std::filesystem::path file = std::filesystem::u8path(path);
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    return false;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    return false;
  }
  FilterFileDecoder decoder(lines);
  char chunk[64 * 1024];
  while (!decoder.ended() && in) {
    in.read(chunk, sizeof(chunk));
    decoder.Feed(std::string_view(chunk, static_cast<size_t>(in.gcount())));
  }
  if (in.bad()) {
    return false;
  }
  decoder.Finish();
  return true;
}

const char* SeverityName(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

void PrintText(const std::string& path, const LintReport& report) {
  for (const LintFinding& finding : report.findings) {
    PrintLine(path + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column) +
              ": " + SeverityName(finding.severity) + ": " + finding.message);
  }
  size_t passed = 0;
  for (const ExpectationResult& result : report.expectations) {
    passed += result.passed ? 1 : 0;
  }
  std::string summary = path + ": " + std::to_string(report.CountOf(Severity::kError)) +
                        " error(s), " + std::to_string(report.CountOf(Severity::kWarning)) +
                        " warning(s)";
  if (!report.expectations.empty()) {
    summary += "; " + std::to_string(passed) + " of " + std::to_string(report.expectations.size()) +
               " expectation(s) passed";
  }
  PrintLine(summary);
}

std::string Field(const char* name, const std::string& json_value) {
  return JsonQuoted(name) + ": " + json_value;
}

void PrintJson(const std::string& path, const LintReport& report) {
  PrintLine("{");
  PrintLine("  " + Field("file", JsonQuoted(path)) + ",");
  PrintLine("  " + Field("errors", std::to_string(report.CountOf(Severity::kError))) + ",");
  PrintLine("  " + Field("warnings", std::to_string(report.CountOf(Severity::kWarning))) + ",");
  PrintLine("  \"findings\": [");
  for (size_t i = 0; i < report.findings.size(); ++i) {
    const LintFinding& f = report.findings[i];
    PrintLine("    {" + Field("file", JsonQuoted(path)) + ", " +
              Field("line", std::to_string(f.line)) + ", " +
              Field("column", std::to_string(f.column)) + ", " +
              Field("severity", JsonQuoted(SeverityName(f.severity))) + ", " +
              Field("check", JsonQuoted(f.check)) + ", " + Field("message", JsonQuoted(f.message)) +
              "}" + (i + 1 < report.findings.size() ? "," : ""));
  }
  PrintLine("  ],");
  PrintLine("  \"expectations\": [");
  for (size_t i = 0; i < report.expectations.size(); ++i) {
    const ExpectationResult& e = report.expectations[i];
    PrintLine("    {" + Field("line", std::to_string(e.line)) + ", " +
              Field("expect", JsonQuoted(e.expect_allow ? "allow" : "deny")) + ", " +
              Field("url", JsonQuoted(ToUtf8(e.url))) + ", " +
              Field("result", JsonQuoted(e.allowed ? "allow" : "deny")) + ", " +
              Field("passed", e.passed ? "true" : "false") + ", " +
              Field("explanation", JsonQuoted(e.explanation)) + "}" +
              (i + 1 < report.expectations.size() ? "," : ""));
  }
  PrintLine("  ]");
  PrintLine("}");
}

int RunLint(Invocation& invocation) {
  if (invocation.args.size() != 1) {
    std::fprintf(stderr, "zelkctl lint: name one filter file (zelkctl lint --help)\n");
    return kExitUsage;
  }
  const std::string& path = invocation.args[0];
  std::vector<std::u16string> lines;
  if (!ReadFilterFile(path, &lines)) {
    std::fprintf(stderr, "zelkctl lint: cannot read %s\n", path.c_str());
    return kExitUsage;
  }
  const LintReport report = LintFilterLines(lines);
  if (invocation.json) {
    PrintJson(path, report);
  } else {
    PrintText(path, report);
  }
  return report.HasErrors() ? kExitFindings : kExitOk;
}

}  // namespace

const Command kLintCommand = {
    "lint", "[--json] FILE",
    "check a filter file and run its ;expect allow|deny URL tests (exit 1 on errors)", RunLint};

}  // namespace zelk::tools
