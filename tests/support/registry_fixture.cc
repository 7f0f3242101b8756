#include "tests/support/registry_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "common/text.h"

namespace zelk::testing {
namespace {

constexpr char16_t kZelkKey[] = u"Software\\Velmora Labs\\Zelk";

#ifdef _WIN32
HKEY RootOf(platform::RegistryHive hive) {
  return hive == platform::RegistryHive::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}
const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
#endif

}  // namespace

std::vector<uint8_t> RegSzBytes(std::u16string_view text) {
  std::vector<uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

ScopedRegistry::ScopedRegistry() {
  Clear();
}

ScopedRegistry::~ScopedRegistry() {
#ifdef _WIN32
  Clear();
#else
  unsetenv("ZELK_REGISTRY");
#endif
}

void ScopedRegistry::SetString(platform::RegistryHive hive,
                               std::u16string_view section,
                               std::u16string_view key,
                               std::u16string_view value,
                               uint32_t type) {
  SetRaw(hive, section, key, type, RegSzBytes(value));
}

void ScopedRegistry::SetRaw(platform::RegistryHive hive,
                            std::u16string_view section,
                            std::u16string_view key,
                            uint32_t type,
                            const std::vector<uint8_t>& bytes) {
  entries_.push_back({hive, std::u16string(section), std::u16string(key), type, bytes});
#ifdef _WIN32
  const std::u16string subkey = std::u16string(kZelkKey) + u"\\" + std::u16string(section);
  const std::u16string name(key);
  HKEY handle = nullptr;
  if (RegCreateKeyExW(RootOf(hive), Wide(subkey), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                      nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(handle, Wide(name), 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(handle);
  }
#else
  WriteRegFile();
#endif
}

void ScopedRegistry::Clear() {
  entries_.clear();
#ifdef _WIN32
  const std::u16string key(kZelkKey);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(key));
  RegDeleteTreeW(HKEY_CURRENT_USER, Wide(key));
#else
  WriteRegFile();
#endif
}

// Writes every value in the hex(N) form, which carries any type and any bytes.
void ScopedRegistry::WriteRegFile() const {
  std::ostringstream text;
  text << "Windows Registry Editor Version 5.00\r\n";
  for (const Entry& entry : entries_) {
    text << "\r\n["
         << (entry.hive == platform::RegistryHive::kLocalMachine ? "HKEY_LOCAL_MACHINE\\"
                                                                 : "HKEY_CURRENT_USER\\")
         << ToUtf8(kZelkKey) << "\\" << ToUtf8(entry.section) << "]\r\n";
    text << "\"" << ToUtf8(entry.key) << "\"=hex(" << std::hex << entry.type << "):";
    for (size_t i = 0; i < entry.bytes.size(); ++i) {
      char byte[4];
      std::snprintf(byte, sizeof(byte), "%02x", entry.bytes[i]);
      text << (i == 0 ? "" : ",") << byte;
    }
    text << std::dec << "\r\n";
  }
  const auto path = folder_.path() / "registry.reg";
  WriteFile(path, text.str());
#ifndef _WIN32
  setenv("ZELK_REGISTRY", path.string().c_str(), 1);
#endif
}

}  // namespace zelk::testing
