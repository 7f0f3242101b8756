// Environment expansion: ExpandEnvironmentStringsW.
#include <windows.h>

#include <vector>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {

// The size is asked first, so no buffer of `capacity` is taken; the answer is the one a
// buffer of `capacity` characters would give.
bool ExpandEnvironmentText(std::u16string_view text, size_t capacity, std::u16string* out) {
  if (out == nullptr) {
    return false;
  }
  try {
    const std::wstring source = win32::WideText(text);
    const DWORD needed = ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
    if (needed == 0 || needed > capacity) {
      return false;
    }
    std::vector<wchar_t> buffer(needed);
    const DWORD written = ExpandEnvironmentStringsW(source.c_str(), buffer.data(), needed);
    if (written == 0 || written > needed) {
      return false;
    }
    *out = win32::FromWide(buffer.data(), wcsnlen(buffer.data(), written));
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace zelk::platform
