// The table of finding kinds: one row each, the only place an id or a usual severity is
// written down. The documentation page lists the same rows (a test keeps them in step).
#include <cstddef>
#include <vector>

#include "tools/zelkctl/doctor/doctor.h"

namespace zelk::tools::doctor {
namespace {

constexpr Severity kE = Severity::kError;
constexpr Severity kW = Severity::kWarning;

const std::vector<FindingKindInfo>& KindTable() {
  static const std::vector<FindingKindInfo> kKinds = {
      {FindingKind::kConfigMissing, "config-missing", kE, "no zelk.ini beside the browser"},
      {FindingKind::kConfigUnreadable, "config-unreadable", kE,
       "zelk.ini is a folder, a pipe, too large or cannot be read"},
      {FindingKind::kConfigEncoding, "config-encoding", kE,
       "zelk.ini is binary, or UTF-16 without its byte-order mark"},
      {FindingKind::kUnknownSection, "unknown-section", kE, "a section no key belongs to"},
      {FindingKind::kUnknownKey, "unknown-key", kE, "a key its section does not have"},
      {FindingKind::kKeyOutsideSection, "key-outside-section", kE,
       "a key above the first section header"},
      {FindingKind::kLineNotUnderstood, "line-not-understood", kW,
       "a line that is no header, no key and no comment"},
      {FindingKind::kNotTruthWord, "not-truth-word", kE,
       "a boolean that is neither TRUE nor FALSE"},
      {FindingKind::kInlineComment, "inline-comment", kE, "a comment after a value"},
      {FindingKind::kQuotesKept, "quotes-kept", kW, "quotes the reader does not remove"},
      {FindingKind::kTrailingText, "trailing-text", kE, "a truth word followed by more text"},
      {FindingKind::kValueTooLong, "value-too-long", kE, "a value cut by the reader or the record"},
      {FindingKind::kDuplicateSection, "duplicate-section", kE,
       "a second section of the same name"},
      {FindingKind::kDuplicateKey, "duplicate-key", kE, "a key given twice in a section"},
      {FindingKind::kRegistryTypeIgnored, "registry-type-ignored", kE,
       "a registry value that is not a string"},
      {FindingKind::kRegistryValueTooLong, "registry-value-too-long", kE,
       "a registry value longer than 1023 characters"},
      {FindingKind::kRegistryValueMalformed, "registry-value-malformed", kE,
       "a registry string of odd length or without its terminating zero"},
      {FindingKind::kUserOverride, "user-override", kW,
       "HKCU overrides a setting the kiosk's user must not change"},
      {FindingKind::kFileMissing, "file-missing", kE, "a file or folder a key names is missing"},
      {FindingKind::kFileWrongType, "file-wrong-type", kE,
       "a folder where a file is wanted, or the reverse"},
      {FindingKind::kFileUnreadable, "file-unreadable", kE, "a file a key names cannot be read"},
      {FindingKind::kUrlCheckWithoutFile, "url-check-without-file", kE,
       "CheckURLAccess on without CheckURLFile"},
      {FindingKind::kFilterFileUnused, "filter-file-unused", kW,
       "CheckURLFile named while CheckURLAccess is off"},
      {FindingKind::kRestartWithoutCommand, "restart-without-command", kE,
       "RestartOnClose on without CommandLine"},
      {FindingKind::kForceWithoutDefaults, "force-without-defaults", kW,
       "ForceDefaults on with nothing to copy"},
      {FindingKind::kProfileFolderMissing, "profile-folder-missing", kW,
       "CleanProfileOnClose with a ProfileFolder whose parent does not exist"},
      {FindingKind::kDeniedPageNoPlaceholder, "denied-page-no-placeholder", kW,
       "a denied page that names neither the address nor the rule"},
      {FindingKind::kDeniedPageCodePage, "denied-page-code-page", kW,
       "a denied page with characters the code page lacks"},
      {FindingKind::kDeniedPageNotPage, "denied-page-not-page", kW,
       "a denied page that is neither a page nor an address"},
      {FindingKind::kFilterLint, "filter-lint", kW, "a finding of zelkctl lint on the filter file"},
      {FindingKind::kFilterExpectation, "filter-expectation", kE,
       "a failed ;expect line of the filter file"},
      {FindingKind::kNameOutsideCodePage, "name-outside-code-page", kE,
       "a section or key name with characters no name has"},
      {FindingKind::kSeedTargetMissing, "seed-target-missing", kE,
       "a default file to copy into a profile folder that does not exist"},
      {FindingKind::kTooManyFindings, "too-many-findings", kE,
       "so many findings in zelk.ini that doctor stopped reading it"},
  };
  return kKinds;
}

}  // namespace

const std::vector<FindingKindInfo>& AllFindingKinds() {
  return KindTable();
}

const char* FindingKindId(FindingKind kind) {
  const size_t index = static_cast<size_t>(kind);
  return index < KindTable().size() ? KindTable()[index].id : "unknown";
}

size_t Diagnosis::CountOf(Severity severity) const {
  size_t count = 0;
  for (const Finding& finding : findings) {
    count += finding.severity == severity ? 1 : 0;
  }
  return count;
}

}  // namespace zelk::tools::doctor
