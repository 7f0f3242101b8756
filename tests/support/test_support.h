// Shared helpers of the test suites: a fresh temporary folder per test, file writing,
// a recorder of message boxes, and a stand-in host installation.
#ifndef ZELK_TESTS_SUPPORT_TEST_SUPPORT_H_
#define ZELK_TESTS_SUPPORT_TEST_SUPPORT_H_

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "platform/platform.h"

namespace zelk::testing {

// UTF-8 form of a wide text, for failure messages.
inline std::string Utf8(std::u16string_view text) {
  return ToUtf8(text);
}

// A folder of its own for one test, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder, or a path below it, in the library's form (Windows separators).
  std::u16string WinPath(std::u16string_view relative = u"") const;
  // Writes a file of the folder (`name` may hold "/"); its path in UTF-8, as a command
  // line names it.
  std::string Write(const std::string& name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// A path in the library's form: backslashes on both platforms.
std::u16string ToWinPath(const std::filesystem::path& path);

// A file of the build tree, named by its path as the build wrote it into the test (under
// wine the tree's Linux path is found on drive Z:).
std::filesystem::path BuiltFile(const char* path);

struct CommandRun {
  int status = -1;  // the exit code, or -1 when it could not run or did not exit
  std::string out;  // what it printed on standard output
};

// Runs `command` through the shell and waits for it to end.
CommandRun RunCommand(const std::string& command);

// Writes `bytes` to `path`, creating the parent folders.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
// The whole file, or an empty string when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
// Waits up to ten seconds for the file to hold `lines` line ends (a process started
// beside the test writes it); returns the line ends it holds.
int WaitForLines(const std::filesystem::path& path, int lines);

// How often `part` occurs in `text`.
size_t CountOf(std::string_view text, std::string_view part);
// `piece` `times` times over, for long rules and addresses.
inline std::u16string Repeat(std::u16string_view piece, size_t times) {
  std::u16string text;
  text.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) {
    text += piece;
  }
  return text;
}
// zelk.ini text with one header a section, as the reader takes only the first section of
// a name: `sections` maps each name to its lines.
std::string IniOfSections(const std::map<std::string, std::string>& sections);

struct RecordedBox {
  std::u16string caption;
  std::u16string text;
  platform::MessageBoxIcon icon;
};

// Catches every message box while it lives; boxes return at once, as if OK was pressed.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  const std::vector<RecordedBox>& boxes() const { return boxes_; }
  void Clear() { boxes_.clear(); }

 private:
  std::vector<RecordedBox> boxes_;
};

// A host installed in a temporary folder: while it lives, the library believes the host's
// executable is <folder>\browser.exe, so zelk.ini is looked up in that folder.
class FakeHostInstallation {
 public:
  FakeHostInstallation();
  ~FakeHostInstallation();
  const TempFolder& folder() const { return folder_; }
  std::u16string ExecutablePath() const { return folder_.WinPath(u"browser.exe"); }
  std::u16string IniPath() const { return folder_.WinPath(u"zelk.ini"); }
  // Writes zelk.ini beside the host.
  void WriteIni(std::string_view text) const;

 private:
  TempFolder folder_;
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_SUPPORT_TEST_SUPPORT_H_
