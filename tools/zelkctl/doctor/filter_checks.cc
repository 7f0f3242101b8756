// The filter file's own findings: zelkctl lint over its lines, read as the library reads
// them, including its ";expect" tests.
#include "common/text.h"
#include "config/settings_table.h"
#include "tools/zelkctl/doctor/bounded_file.h"
#include "tools/zelkctl/doctor/installation.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "urlfilter/filter_file_decoder.h"

namespace zelk::tools::doctor {
namespace {

// Larger than any filter list an import makes.
constexpr size_t kFilterFileLimit = size_t{32} << 20;

Severity FromLint(tools::Severity severity) {
  return severity == tools::Severity::kError ? Severity::kError : Severity::kWarning;
}

}  // namespace

void CheckFilterFile(const Installation& installation, std::vector<Finding>* findings) {
  const std::u16string path = ReadStringSetting(installation.source, Setting::kCheckUrlFile);
  if (path.empty() || !ReadBoolSetting(installation.source, Setting::kCheckUrlAccess)) {
    return;
  }
  const BoundedFile file = ReadBoundedFile(path, kFilterFileLimit);
  const std::string problem = DescribeFileProblem(file, kFilterFileLimit);
  if (!problem.empty()) {
    const FindingKind kind =
        file.status == BoundedFile::Status::kMissing  ? FindingKind::kFileMissing
        : file.status == BoundedFile::Status::kFolder ? FindingKind::kFileWrongType
                                                      : FindingKind::kFileUnreadable;
    const SettingKey& key = SettingInfo(Setting::kCheckUrlFile);
    findings->push_back(installation.KeyFinding(
        key.section, key.key, kind, Severity::kError,
        "CheckURLFile names \"" + ToUtf8(path) + "\", which " + problem +
            ": every address check shows \"Error loading filter file\" and the browser gets a "
            "blank page"));
    return;
  }
  std::vector<std::u16string> lines;
  FilterFileDecoder decoder(&lines);
  decoder.Feed(file.bytes);
  decoder.Finish();
  for (const LintFinding& lint : LintFilterLines(lines).findings) {
    const bool expectation = std::string(lint.check) == "expect";
    findings->push_back({ToUtf8(path), lint.line, FromLint(lint.severity),
                         expectation ? FindingKind::kFilterExpectation : FindingKind::kFilterLint,
                         lint.message + " (" + lint.check + ")", "", ""});
  }
}

}  // namespace zelk::tools::doctor
