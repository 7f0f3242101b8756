// System error texts on Windows.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {

std::u16string SystemErrorText(uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&buffer),
      0, nullptr);
  std::u16string text;
  if (length != 0 && buffer != nullptr) {
    text.assign(reinterpret_cast<const char16_t*>(buffer), length);
  }
  if (buffer != nullptr) {
    LocalFree(buffer);
  }
  return text;
}

}  // namespace zelk::platform
