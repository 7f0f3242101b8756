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
  FindConfiguration(source);  // the library has said whether it is missing
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

// One of the browser's start-up and closing calls, and what its answer means.
struct LifecycleCall {
  const char* shown;  // "Start()"
  int (*call)(const HostLibrary& library);
  // The browser has loaded its settings before it closes: CleanProfile takes
  // CleanProfileExtensions from that load, and End reads its settings through the
  // configuration path an earlier export recorded.
  bool settings_first;
  bool show_profile;  // print the profile folder afterwards
  const char* if_one;
  const char* if_zero;
};

constexpr LifecycleCall kStart = {
    "Start()",
    [](const HostLibrary& library) { return library.Start(); },
    false,
    true,
    "the last copy step succeeded",
    "zelk.ini missing, nothing to copy, or the last copy step failed"};
constexpr LifecycleCall kClean = {"CleanProfile()",
                                  [](const HostLibrary& library) { return library.CleanProfile(); },
                                  true,
                                  true,
                                  "cleaned",
                                  "CleanProfileOnClose is off, or no profile root"};
constexpr LifecycleCall kEnd = {"End()",
                                [](const HostLibrary& library) { return library.End(); },
                                true,
                                false,
                                "a restart was attempted from Files/CommandLine",
                                "RestartOnClose is off: nothing started"};

int RunLifecycle(Invocation& invocation, const LifecycleCall& lifecycle) {
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  if (lifecycle.settings_first) {
    HostSettingsBlock record{};
    invocation.library.GetSettings(&record);
  }
  const int result = lifecycle.call(invocation.library);
  PrintLine(std::string(lifecycle.shown) + " = " + std::to_string(result) + "  (" +
            (result ? lifecycle.if_one : lifecycle.if_zero) + ")");
  if (lifecycle.show_profile) {
    PrintProfile();
  }
  return kExitOk;
}

template <const LifecycleCall& kCall>
int RunLifecycleCall(Invocation& invocation) {
  return RunLifecycle(invocation, kCall);
}

}  // namespace

const Command kStartCommand = {"start", "",
                               "seed the browser profile as the browser's start does, and show it",
                               RunLifecycleCall<kStart>};
const Command kCleanCommand = {"clean", "",
                               "clean the profile as the browser's close does, and show what stays",
                               RunLifecycleCall<kClean>};
const Command kEndCommand = {"end", "", "relaunch the browser as its close does, when configured",
                             RunLifecycleCall<kEnd>};

}  // namespace zelk::tools
