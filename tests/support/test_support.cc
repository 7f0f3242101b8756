#include "tests/support/test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace zelk::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  std::ostringstream name;
  name << "zelk-test-" << std::hex << random() << "-" << now << "-" << counter++;
  path_ = fs::temp_directory_path() / name.str();
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Make everything writable first, so read-only files made by a test go too.
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       !ignored && it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

std::u16string TempFolder::WinPath(std::u16string_view relative) const {
  return ToWinPath(relative.empty() ? path_ : path_ / fs::path(std::u16string(relative)));
}

fs::path BuiltFile(const char* path) {
  std::string text = path;
#ifdef _WIN32
  if (!text.empty() && text[0] == '/') {
    text = "Z:" + text;  // the build tree as wine sees it
  }
#endif
  return fs::u8path(text);
}

std::u16string ToWinPath(const fs::path& path) {
  std::u16string text = path.u16string();
  std::replace(text.begin(), text.end(), u'/', u'\\');
  return text;
}

std::string TempFolder::Write(const std::string& name, std::string_view bytes) const {
  const fs::path path = path_ / fs::u8path(name);
  WriteFile(path, bytes);
  return path.u8string();
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

int WaitForLines(const fs::path& path, int lines) {
  int found = 0;
  for (int i = 0; i < 200 && found < lines; ++i) {
    if (i > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::string text = ReadFile(path);
    found = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }
  return found;
}

size_t CountOf(std::string_view text, std::string_view part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

std::string IniOfSections(const std::map<std::string, std::string>& sections) {
  std::string ini;
  for (const auto& [section, lines] : sections) {
    ini += "[" + section + "]\n" + lines;
  }
  return ini;
}

MessageBoxRecorder::MessageBoxRecorder() {
  platform::SetMessageBoxSinkForTesting(
      [this](std::u16string_view caption, std::u16string_view text, platform::MessageBoxIcon icon) {
        boxes_.push_back({std::u16string(caption), std::u16string(text), icon});
      });
}

MessageBoxRecorder::~MessageBoxRecorder() {
  platform::SetMessageBoxSinkForTesting(nullptr);
}

FakeHostInstallation::FakeHostInstallation() {
  platform::SetHostExecutablePathForTesting(ExecutablePath());
}

FakeHostInstallation::~FakeHostInstallation() {
  platform::SetHostExecutablePathForTesting(u"");
}

void FakeHostInstallation::WriteIni(std::string_view text) const {
  WriteFile(folder_.path() / "zelk.ini", text);
}

CommandRun RunCommand(const std::string& command) {
  CommandRun run;
#ifdef _WIN32
  // cmd takes off the first and the last quote of a line that holds more than two.
  FILE* pipe = _popen(("\"" + command + "\"").c_str(), "r");
#else
  FILE* pipe = popen(command.c_str(), "r");
#endif
  if (pipe == nullptr) {
    return run;
  }
  char chunk[4096];
  for (size_t read; (read = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0;) {
    run.out.append(chunk, read);
  }
#ifdef _WIN32
  run.status = _pclose(pipe);
#else
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return run;
}

}  // namespace zelk::testing
