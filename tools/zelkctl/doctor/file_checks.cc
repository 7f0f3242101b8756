// The files and folders keys name, resolved as the library resolves them: relative paths
// from the browser's current folder, the extensions beside its executable, the program of
// CommandLine by the rules of a command line.
#include <cstdlib>

#include "common/text.h"
#include "config/settings_table.h"
#include "platform/platform.h"
#include "profile/profile_layout.h"
#include "tools/zelkctl/doctor/bounded_file.h"
#include "tools/zelkctl/doctor/installation.h"

namespace zelk::tools::doctor {
namespace {

#ifdef _WIN32
constexpr char16_t kPathListSeparator = u';';
#else
constexpr char16_t kPathListSeparator = u':';
#endif

struct SeedFile {
  Setting setting;
  Severity severity;  // of a missing file
  const char* consequence;
};

// A missing Preferences file ends the browser at start; a missing Bookmarks file is
// passed over in silence.
constexpr SeedFile kSeedFiles[] = {
    {Setting::kDefaultPreferences, Severity::kError,
     "at every start the copy fails and Start ends the browser"},
    {Setting::kDefaultBookmarks, Severity::kError, "the default bookmarks are never copied"},
};

bool IsRelative(std::u16string_view path) {
  return !(path.size() >= 2 && path[1] == u':') &&
         !(!path.empty() && (path[0] == u'\\' || path[0] == u'/'));
}

std::string Named(std::u16string_view path) {
  return "\"" + ToUtf8(path) + "\"" +
         (IsRelative(path) ? " (relative to the browser's current folder)" : "");
}

void AddKeyFinding(const Installation& installation,
                   Setting setting,
                   FindingKind kind,
                   Severity severity,
                   const std::string& text,
                   std::vector<Finding>* findings) {
  findings->push_back(installation.SettingFinding(
      setting, kind, severity, ToUtf8(SettingInfo(setting).key) + " names " + text));
}

// A file that must exist and be readable; false when it is not. The probe opens only a
// regular file and never waits, so a pipe in its place cannot hold doctor.
bool CheckFile(const Installation& installation,
               Setting setting,
               std::u16string_view path,
               Severity missing_severity,
               const std::string& consequence,
               std::vector<Finding>* findings) {
  bool exists = false;
  if (PathIsFolder(path, &exists)) {
    AddKeyFinding(installation, setting, FindingKind::kFileWrongType, Severity::kError,
                  Named(path) + ", which is a folder, not a file: " + consequence, findings);
  } else if (!exists) {
    AddKeyFinding(installation, setting, FindingKind::kFileMissing, missing_severity,
                  Named(path) + ", which does not exist: " + consequence, findings);
  } else if (platform::ReadOnlyFile probe; probe.Open(path) != platform::kErrorSuccess) {
    AddKeyFinding(installation, setting, FindingKind::kFileUnreadable, Severity::kError,
                  Named(path) + ", which cannot be opened for reading: " + consequence, findings);
  } else {
    return true;
  }
  return false;
}

void CheckSeedFiles(const Installation& installation, std::vector<Finding>* findings) {
  for (const SeedFile& seed : kSeedFiles) {
    const std::u16string path = ReadStringSetting(installation.source, seed.setting);
    if (!path.empty()) {
      CheckFile(installation, seed.setting, path, seed.severity, seed.consequence, findings);
    }
  }
}

// The default files are copied into the default profile folder, which the copies do not
// create. The browser makes its profile below a root that exists; a root whose parent is
// missing as well is a path it cannot have made, and the Preferences copy then ends it.
void CheckSeedTarget(const Installation& installation, std::vector<Finding>* findings) {
  const ConfigSource& source = installation.source;
  const bool preferences = !ReadStringSetting(source, Setting::kDefaultPreferences).empty();
  const bool bookmarks = !ReadStringSetting(source, Setting::kDefaultBookmarks).empty();
  std::u16string root;
  if ((!preferences && !bookmarks) || !FindProfileRoot(source, &root) ||
      platform::PathExists(root) || ParentFolder(root).empty() ||
      platform::PathExists(ParentFolder(root))) {
    return;
  }
  const Setting setting = preferences ? Setting::kDefaultPreferences : Setting::kDefaultBookmarks;
  AddKeyFinding(installation, setting, FindingKind::kSeedTargetMissing,
                preferences ? Severity::kError : Severity::kWarning,
                "a file to copy below the profile folder \"" + DisplayPath(root) +
                    "\", which does not exist, nor its parent: the copy does not create "
                    "folders, so " +
                    (preferences ? "Start ends the browser (error 3)" : "nothing is copied") +
                    "; check ProfileFolder",
                findings);
}

void CheckExtensionsFolder(const Installation& installation, std::vector<Finding>* findings) {
  if (!ReadBoolSetting(installation.source, Setting::kDefaultExtensions)) {
    return;
  }
  const std::u16string folder = ExtensionsSourceFolder(platform::HostExecutablePath());
  bool exists = false;
  const bool is_folder = PathIsFolder(folder, &exists);
  if (!is_folder) {
    const SettingKey& key = SettingInfo(Setting::kDefaultExtensions);
    findings->push_back(installation.KeyFinding(
        key.section, key.key, exists ? FindingKind::kFileWrongType : FindingKind::kFileMissing,
        Severity::kError,
        "DefaultExtensions is on, but \"" + DisplayPath(folder) +
            (exists ? "\" is a file, not a folder" : "\" does not exist") +
            ": no extension is copied; put the Extensions folder beside the browser"));
  }
}

// The program of a command line: its first token, quoted or up to the first blank.
std::u16string ProgramOf(std::u16string_view command_line) {
  size_t start = 0;
  while (start < command_line.size() &&
         (command_line[start] == u' ' || command_line[start] == u'\t')) {
    ++start;
  }
  if (start < command_line.size() && command_line[start] == u'"') {
    const size_t close = command_line.find(u'"', start + 1);
    return std::u16string(command_line.substr(start + 1, close == std::u16string_view::npos
                                                             ? std::u16string_view::npos
                                                             : close - start - 1));
  }
  const size_t end = command_line.find_first_of(u" \t", start);
  return std::u16string(
      command_line.substr(start, end == std::u16string_view::npos ? end : end - start));
}

// A program named without a folder is looked up as a command line looks it up: beside
// the browser, then along PATH.
bool FindOnSearchPath(std::u16string_view program) {
  const std::u16string browser = platform::HostExecutablePath();
  std::u16string folders = browser.substr(0, browser.rfind(u'\\') + 1);
  if (const char* path = std::getenv("PATH")) {
    folders += kPathListSeparator + FromUtf8(path);
  }
  const bool add_exe = program.find(u'.') == std::u16string_view::npos;
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(kPathListSeparator, start);
    end = end == std::u16string::npos ? folders.size() : end;
    const std::u16string base =
        folders.substr(start, end - start) + u"\\" + std::u16string(program);
    if (end > start &&
        (platform::PathExists(base) || (add_exe && platform::PathExists(base + u".exe")))) {
      return true;
    }
    start = end + 1;
  }
  return false;
}

void CheckRestartProgram(const Installation& installation, std::vector<Finding>* findings) {
  const ConfigSource& source = installation.source;
  const std::u16string command_line = ReadStringSetting(source, Setting::kCommandLine);
  if (!ReadBoolSetting(source, Setting::kRestartOnClose) || command_line.empty()) {
    return;
  }
  const std::u16string program = ProgramOf(command_line);
  constexpr const char* kConsequence = "the browser is not started again when it closes";
  if (program.find_first_of(u"\\/:") != std::u16string::npos) {
    CheckFile(installation, Setting::kCommandLine, program, Severity::kError, kConsequence,
              findings);
  } else if (!FindOnSearchPath(program)) {
    AddKeyFinding(installation, Setting::kCommandLine, FindingKind::kFileMissing,
                  Severity::kWarning,
                  "the program \"" + ToUtf8(program) +
                      "\", which is neither beside the browser nor on PATH: " + kConsequence +
                      "; give its full path",
                  findings);
  }
}

}  // namespace

void CheckNamedFiles(const Installation& installation, std::vector<Finding>* findings) {
  CheckSeedFiles(installation, findings);
  CheckSeedTarget(installation, findings);
  CheckExtensionsFolder(installation, findings);
  CheckRestartProgram(installation, findings);
}

}  // namespace zelk::tools::doctor
