// The library's UTF-16 text at the Win32 seam, where wchar_t is 16 bits wide.
#ifndef ZELK_PLATFORM_WIN32_WIDE_TEXT_H_
#define ZELK_PLATFORM_WIN32_WIDE_TEXT_H_

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelk::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

// A zero-terminated copy for a Win32 call; the call sees the text up to its first U+0000.
inline std::wstring WideText(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string FromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

inline std::u16string FromWide(const wchar_t* text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

// GetLastError after a failed call, never 0: a call that failed without saying why is a
// general failure (31, ERROR_GEN_FAILURE).
inline uint32_t LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? error : 31;
}

}  // namespace zelk::platform::win32

#endif  // ZELK_PLATFORM_WIN32_WIDE_TEXT_H_
