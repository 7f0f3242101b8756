// zelkctl lint: the checks of a filter file, in the form compilers use so that editors can
// jump to each line, and the file's own ";expect" tests.
#include <string>
#include <utility>
#include <vector>

#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "tools/zelkctl/support/input_file.h"

namespace zelk::tools {
namespace {

int RunLint(Invocation& invocation) {
  if (!invocation.args.empty() && invocation.args[0] == "--profile") {
    return RunLintProfile(invocation);
  }
  if (invocation.args.size() != 1) {
    std::fprintf(stderr, "zelkctl lint: name one filter file (zelkctl lint --help)\n");
    return kExitUsage;
  }
  const std::string& path = invocation.args[0];
  LineTexts lines;
  if (!ReadFilterFile(path, &lines)) {
    std::fprintf(stderr, "zelkctl lint: cannot read %s\n", path.c_str());
    return kExitUsage;
  }
  const LintReport report = LintFilterTexts(std::move(lines));
  for (const std::string& line : FormatLintReport(path, report, invocation.json)) {
    PrintLine(line);
  }
  return report.HasErrors() ? kExitFindings : kExitOk;
}

}  // namespace

const Command kLintCommand = {
    "lint", "[--json] FILE | --profile [--json] FILE URLFILE",
    "check a filter file and run its ;expect allow|deny URL tests (exit 1 on errors); "
    "--profile: the rules that cost the most matching steps over URLFILE's addresses",
    RunLint};

}  // namespace zelk::tools
