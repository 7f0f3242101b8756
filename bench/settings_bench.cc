// Figures for one settings load (what GetSettings does) on the example installation:
// examples/kiosk/zelk.ini beside the host, and examples/fleet/zelk-fleet.reg as the
// registry (on Linux through ZELK_REGISTRY; on Windows imported into the real registry for
// the run and removed after). Prints one line per figure; it asserts nothing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "common/text.h"
#include "config/config_source.h"
#include "config/readers.h"
#include "config/settings_loader.h"
#include "platform/emulation/reg_file.h"
#include "platform/platform.h"

namespace zelk {
namespace {

using Clock = std::chrono::steady_clock;

// The source tree's path in the library's path form.
std::u16string SourcePath(const std::string& relative) {
  std::string path = std::string(ZELK_SOURCE_DIR) + "/" + relative;
#ifdef _WIN32
  // Under wine the Linux root is drive Z:.
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
  }
#endif
  for (char& c : path) {
    c = c == '/' ? '\\' : c;
  }
  return FromUtf8(path);
}

#ifdef _WIN32
std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

HKEY RootOf(platform::RegistryHive hive) {
  return hive == platform::RegistryHive::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

void RemoveZelkKeys() {
  std::u16string key = RegistryKeyOfSection(u"");
  key.pop_back();  // the product's key itself, not a section below it
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(key));
  RegDeleteTreeW(HKEY_CURRENT_USER, Wide(key));
}

// Writes every value of the .reg file into the registry, as an import would.
void ImportRegistry(const std::string& bytes) {
  RemoveZelkKeys();
  const platform::RegFile file = platform::RegFile::Parse(bytes);
  for (const auto& [folded, key] : file.keys()) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(RootOf(key.hive), Wide(key.path), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    for (const auto& [name, value] : key.values) {
      RegSetValueExW(handle, Wide(value.name), 0, value.value.type, value.value.data.data(),
                     static_cast<DWORD>(value.value.data.size()));
    }
    RegCloseKey(handle);
  }
}
#endif

}  // namespace
}  // namespace zelk

int main() {
  using namespace zelk;
  const std::string reg_path = std::string(ZELK_SOURCE_DIR) + "/examples/fleet/zelk-fleet.reg";
#ifdef _WIN32
  ImportRegistry(ReadFile(reg_path));
  const char* platform_name = "windows (registry API, GetPrivateProfileStringW)";
#else
  setenv("ZELK_REGISTRY", reg_path.c_str(), 1);
  const char* platform_name = "linux (emulation)";
#endif
  platform::SetHostExecutablePathForTesting(SourcePath("examples/kiosk/browser.exe"));
  // The missing-configuration box must not hold the run.
  platform::SetMessageBoxSinkForTesting(
      [](std::u16string_view, std::u16string_view, platform::MessageBoxIcon) {});

  ConfigSource source;
  const int found = LocateConfiguration(source);
  auto record = std::make_unique<HostSettingsBlock>();
  LoadSettings(source, record.get());  // the first load warms the file caches

  constexpr int kRuns = 200;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < kRuns; ++i) {
    LoadSettings(source, record.get());
  }
  const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
  std::printf(
      "GetSettings on examples/kiosk + zelk-fleet.reg, %s: %8.3f ms per load "
      "(zelk.ini %s, title \"%s\")\n",
      platform_name, elapsed.count() / kRuns, found ? "found" : "MISSING", record->title);
#ifdef _WIN32
  RemoveZelkKeys();
#endif
  return 0;
}
