// The checks of `zelkctl lint` over the lines of a filter file, and the file's own tests
// (";expect allow URL", ";expect deny URL"). Pure code: the lines come from the caller,
// read as the library reads them.
#ifndef ZELK_TOOLS_ZELKCTL_LINT_FILTER_LINT_H_
#define ZELK_TOOLS_ZELKCTL_LINT_FILTER_LINT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/zelkctl/support/check_answer.h"
#include "urlfilter/line_texts.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {

enum class Severity { kWarning, kError };

struct LintFinding {
  size_t line;    // from 1
  size_t column;  // from 1, in characters of the line as read (one per byte of the file)
  Severity severity;
  const char* check;  // the check's short name, for scripts ("compile-error", "mark", ...)
  std::string message;
};

// One ";expect" line run against the file's rules.
struct ExpectationResult {
  size_t line;
  bool expect_allow;
  std::u16string url;
  bool allowed;  // the rules' answer
  bool passed;
  std::string explanation;  // what decided, in words
  size_t line_index;        // the deciding line (index into the lines), or the default's
  size_t rules_tried;       // pattern rules the check matched against the URL
  uint64_t steps;           // matching steps it spent
};

struct LintReport {
  std::vector<LintFinding> findings;  // by line, then column; failed expectations included
  std::vector<ExpectationResult> expectations;

  size_t CountOf(Severity severity) const;
  // True when a pattern does not compile, an ";expect" line is malformed, or one fails.
  bool HasErrors() const { return CountOf(Severity::kError) != 0; }
};

// Lints the lines of a filter file. Expectations are decided by the library's own check,
// with its matching budget, so a rule that runs away cannot hold the linter either.
LintReport LintFilterLines(const std::vector<std::u16string>& lines);
// The same for lines held as one text (as a filter file is read), which the lint takes
// over: a list of a million rules is then held once. When the list cannot be compiled for
// want of memory, the report says so and holds nothing else, the lines being gone.
LintReport LintFilterTexts(LineTexts&& lines);

// The report as `zelkctl lint` prints it, one output line per element: in compiler form
// ("FILE:LINE:COL: error|warning: text") followed by a summary line, or as one JSON object
// {file, errors, warnings, findings: [{file, line, column, severity, check, message}],
// expectations: [{line, expect, url, result, passed, explanation}]}.
std::vector<std::string> FormatLintReport(const std::string& file,
                                          const LintReport& report,
                                          bool json);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_LINT_FILTER_LINT_H_
