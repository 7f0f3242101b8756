// Registry reading: RegOpenKeyExW for reading only, RegQueryValueExW, RegCloseKey.
#include <windows.h>

#include <new>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {
namespace {

// The size is asked first, so a value is read only once it is known to fit; the answer
// is the one a single query into a buffer of `capacity_bytes` would give.
uint32_t QueryOpenKey(HKEY key,
                      const std::wstring& name,
                      size_t capacity_bytes,
                      RegistryValue* out) {
  DWORD type = 0;
  DWORD size = 0;
  LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  if (status != ERROR_SUCCESS) {
    return static_cast<uint32_t>(status);
  }
  if (size > capacity_bytes) {
    return kErrorMoreData;
  }
  std::vector<uint8_t> data(size == 0 ? 1 : size);  // never empty: the call gets a buffer
  DWORD read = size;
  status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &read);
  if (status != ERROR_SUCCESS) {
    return static_cast<uint32_t>(status);
  }
  data.resize(read);
  out->type = type;
  out->data = std::move(data);
  return kErrorSuccess;
}

}  // namespace

uint32_t QueryRegistryValue(RegistryHive hive,
                            std::u16string_view subkey,
                            std::u16string_view value_name,
                            size_t capacity_bytes,
                            RegistryValue* out) {
  if (out == nullptr) {
    return kErrorInvalidParameter;
  }
  try {
    const HKEY root = hive == RegistryHive::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyExW(root, win32::WideText(subkey).c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
      return static_cast<uint32_t>(status);
    }
    const uint32_t result = QueryOpenKey(key, win32::WideText(value_name), capacity_bytes, out);
    RegCloseKey(key);
    return result;
  } catch (const std::bad_alloc&) {
    return kErrorNotEnoughMemory;
  } catch (...) {
    return kErrorInvalidData;
  }
}

}  // namespace zelk::platform
