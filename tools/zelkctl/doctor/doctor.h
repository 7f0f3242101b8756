// zelkctl doctor: every configuration mistake of an installation, found before the kiosk
// ships. The checks reason with the library's own readers (the INI reader, the registry
// readers, the filter file's reader), so what a finding says the browser gets is what it
// gets. Each finding names a file and line in the compiler's form.
#ifndef ZELK_TOOLS_ZELKCTL_DOCTOR_DOCTOR_H_
#define ZELK_TOOLS_ZELKCTL_DOCTOR_DOCTOR_H_

#include <cstddef>
#include <string>
#include <vector>

namespace zelk::tools::doctor {

enum class Severity { kWarning, kError };

// Every kind of finding. The ids of FindingKindId are stable: scripts and the report page
// match on them. New kinds are added at the end.
enum class FindingKind {
  kConfigMissing,            // no zelk.ini beside the host
  kConfigUnreadable,         // zelk.ini is a folder, a pipe, too large, binary or unreadable
  kConfigEncoding,           // UTF-16 without its byte-order mark, or bytes that do not decode
  kUnknownSection,           // a section no key belongs to
  kUnknownKey,               // a key the section does not have (nearest known name given)
  kKeyOutsideSection,        // a key line before the first section header
  kLineNotUnderstood,        // neither a section header, a key, a comment nor blank
  kNotTruthWord,             // a boolean that is neither TRUE nor FALSE: reads as FALSE
  kInlineComment,            // "; text" after a value stays part of it
  kQuotesKept,               // quotes the reader does not remove
  kTrailingText,             // a truth word followed by more text
  kValueTooLong,             // cut by the reader or by the record's field
  kDuplicateSection,         // a second section of a name, never read
  kDuplicateKey,             // a key given twice in a section; the first wins
  kRegistryTypeIgnored,      // a registry value of a type the library ignores
  kRegistryValueTooLong,     // a registry value longer than the reader takes
  kRegistryValueMalformed,   // odd byte length or no terminating zero: ignored
  kUserOverride,             // HKCU overrides a security-relevant setting
  kFileMissing,              // a file or folder a key names does not exist
  kFileWrongType,            // a folder where a file is wanted, or the reverse
  kFileUnreadable,           // a named file that cannot be opened
  kUrlCheckWithoutFile,      // CheckURLAccess on, no CheckURLFile
  kFilterFileUnused,         // CheckURLFile named, CheckURLAccess off
  kRestartWithoutCommand,    // RestartOnClose on, no CommandLine
  kForceWithoutDefaults,     // ForceDefaults on, no default file named
  kProfileFolderMissing,     // CleanProfileOnClose with a ProfileFolder that does not exist
  kDeniedPageNoPlaceholder,  // DeniedURLHTML names neither (DENIED_PAGE) nor (DENIED_WORD)
  kDeniedPageCodePage,       // characters the host's code page lacks
  kDeniedPageNotPage,        // starts neither like an HTML page nor like an address
  kFilterLint,               // a finding of the filter file's lint
  kFilterExpectation,        // a failed ";expect" line of the filter file
  kNameOutsideCodePage,      // a section or key name with characters no key name has
  kSeedTargetMissing,        // a default file to copy while the profile folder is missing
  kTooManyFindings,          // a file so wrong that doctor stopped reading it
};

struct Finding {
  std::string file;  // the INI or .reg file, the filter file, or the registry key on Windows
                     // ("HKLM\Software\Velmora Labs\Zelk\Browser")
  size_t line;       // from 1; 0 when the finding is about the whole file or has no line
  Severity severity;
  FindingKind kind;
  std::string message;  // what the browser gets and how to write what was meant
  std::string section;  // the setting concerned, when there is one (as the library spells it)
  std::string key;
};

// One row of the table of kinds: the stable id, the severity it usually has (a finding of
// the filter file's lint keeps the lint's; a boolean written "0" only warns), and one line
// saying what it finds (the documentation lists every row).
struct FindingKindInfo {
  FindingKind kind;
  const char* id;  // "unknown-key", "not-truth-word", ...
  Severity severity;
  const char* summary;
};

// Every kind, in the order of FindingKind.
const std::vector<FindingKindInfo>& AllFindingKinds();
const char* FindingKindId(FindingKind kind);

struct Diagnosis {
  std::string ini_path;  // zelk.ini as the library records it
  bool ini_found = false;
  std::vector<Finding> findings;  // by file, then line

  size_t CountOf(Severity severity) const;
  bool HasErrors() const { return CountOf(Severity::kError) != 0; }
};

// Diagnoses the installation the running program stands in, as the library would read
// it: zelk.ini beside the host's executable, HKLM and HKCU through the library's registry
// readers (on Linux the .reg file of ZELK_REGISTRY), the filter file, and the files and
// command line that keys name. Reads every file bounded; never throws.
Diagnosis DiagnoseInstallation();

// The findings of one zelk.ini given as its bytes, `file` naming it in the findings: the
// checks of the text alone (names, values, duplicates), without the registry or the files
// that keys name. Pure, apart from the host's code page that measures a text against its
// field in the record.
std::vector<Finding> DiagnoseIniBytes(const std::string& file, const std::string& bytes);

// "FILE:LINE: error|warning: message [kind-id]" (":LINE" left out when the line is 0).
std::string FormatFinding(const Finding& finding);

// The diagnosis as `zelkctl doctor` prints it, one output line per element: the findings
// in compiler form and a summary line, or one JSON object {ini_path, ini_found, errors,
// warnings, findings: [{file, line, severity, kind, section, key, message}]}.
std::vector<std::string> FormatDiagnosis(const Diagnosis& diagnosis, bool json);

}  // namespace zelk::tools::doctor

#endif  // ZELK_TOOLS_ZELKCTL_DOCTOR_DOCTOR_H_
