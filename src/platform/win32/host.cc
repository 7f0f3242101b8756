// The host process on Windows: GetModuleFileNameW and MessageBoxW.
#include <windows.h>

#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {

namespace internal {

std::u16string SystemHostExecutablePath() {
  wchar_t buffer[kMaxPath];
  DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(kMaxPath));
  if (length == 0) {
    return std::u16string();
  }
  // A path that does not fit comes back cut (and, on old systems, unterminated).
  if (length > kMaxPath - 1) {
    length = kMaxPath - 1;
  }
  return win32::FromWide(buffer, length);
}

void ShowSystemMessageBox(std::u16string_view caption,
                          std::u16string_view text,
                          MessageBoxIcon icon) {
  const UINT style = MB_OK | (icon == MessageBoxIcon::kExclamation ? MB_ICONEXCLAMATION : 0);
  MessageBoxW(nullptr, win32::WideText(text).c_str(), win32::WideText(caption).c_str(), style);
}

}  // namespace internal

}  // namespace zelk::platform
