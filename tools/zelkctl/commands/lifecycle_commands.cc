// zelkctl start, clean and end: the browser's start-up and closing calls, made through the
// exports as the browser makes them, with the profile folder shown afterwards.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/text.h"
#include "config/readers.h"
#include "profile/profile_layout.h"
#include "tools/zelkctl/cli.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

fs::path NativePath(const std::u16string& path) {
  std::string text = ToUtf8(path);
#ifndef _WIN32
  std::replace(text.begin(), text.end(), '\\', '/');
#endif
  return fs::u8path(text);
}

// Every entry below the default profile folder, one line each, in name order.
void PrintProfile() {
  ConfigSource source;
  LocateConfiguration(source);
  std::u16string root;
  if (!FindProfileRoot(source, &root)) {
    PrintLine("  (the profile root cannot be determined)");
    return;
  }
  const std::u16string folder = LayoutOfRoot(root).default_profile_folder;
  const fs::path native = NativePath(folder);
  std::error_code error;
  if (!fs::is_directory(native, error)) {
    PrintLine("  " + ToUtf8(folder) + ": no such folder");
    return;
  }
  std::vector<std::string> entries;
  for (auto it = fs::recursive_directory_iterator(native, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::string relative = fs::relative(it->path(), native, error).u8string();
    entries.push_back(relative + (it->is_directory(error) ? "/" : ""));
  }
  std::sort(entries.begin(), entries.end());
  PrintLine("  " + ToUtf8(folder) + (entries.empty() ? " (empty)" : ":"));
  for (const std::string& entry : entries) {
    PrintLine("    " + entry);
  }
}

int RunStart(Invocation& invocation) {
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  const int result = invocation.library.Start();
  PrintLine("Start() = " + std::to_string(result) +
            (result ? "  (the last copy step succeeded)"
                    : "  (zelk.ini missing, nothing to copy, or the last copy step failed)"));
  PrintProfile();
  return kExitOk;
}

int RunClean(Invocation& invocation) {
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  // The browser has loaded its settings before it closes; CleanProfileExtensions comes
  // from that load.
  HostSettingsBlock record{};
  invocation.library.GetSettings(&record);
  const int result = invocation.library.CleanProfile();
  PrintLine("CleanProfile() = " + std::to_string(result) +
            (result ? "  (cleaned)" : "  (CleanProfileOnClose is off, or no profile root)"));
  PrintProfile();
  return kExitOk;
}

int RunEnd(Invocation& invocation) {
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  // End reads its settings through the configuration path an earlier export recorded.
  HostSettingsBlock record{};
  invocation.library.GetSettings(&record);
  const int result = invocation.library.End();
  PrintLine("End() = " + std::to_string(result) +
            (result ? "  (a restart was attempted from Files/CommandLine)"
                    : "  (RestartOnClose is off: nothing started)"));
  return kExitOk;
}

}  // namespace

const Command kStartCommand = {
    "start", "", "seed the browser profile as the browser's start does, and show it", RunStart};
const Command kCleanCommand = {
    "clean", "", "clean the profile as the browser's close does, and show what stays", RunClean};
const Command kEndCommand = {"end", "", "relaunch the browser as its close does, when configured",
                             RunEnd};

}  // namespace zelk::tools
