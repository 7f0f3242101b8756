// The existence test and the INI reader of the configuration: PathFileExistsW and
// GetPrivateProfileStringW.
#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {

bool PathExists(std::u16string_view path) {
  try {
    return PathFileExistsW(win32::WideText(path).c_str()) != FALSE;
  } catch (...) {
    return false;
  }
}

// One call with a buffer of `capacity` characters. Only capacities past kOneCall start
// smaller and grow while the answer fills the buffer, so that no huge buffer is taken for
// a short value.
std::u16string ReadIniString(std::u16string_view section,
                             std::u16string_view key,
                             std::u16string_view default_value,
                             size_t capacity,
                             std::u16string_view ini_path) {
  constexpr DWORD kOneCall = 65536;
  try {
    const std::wstring wide_section = win32::WideText(section);
    const std::wstring wide_key = win32::WideText(key);
    const std::wstring wide_default = win32::WideText(default_value);
    const std::wstring wide_path = win32::WideText(ini_path);
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(capacity, MAXDWORD));
    DWORD size = std::min(wanted, kOneCall);
    for (;;) {
      if (size == 0) {
        return std::u16string();
      }
      // One guard character before the buffer proper: wine's reader writes there when a
      // value of two quotes meets a buffer of one character.
      std::vector<wchar_t> buffer(size + 1);
      wchar_t* const answer = buffer.data() + 1;
      const DWORD length =
          GetPrivateProfileStringW(wide_section.c_str(), wide_key.c_str(), wide_default.c_str(),
                                   answer, size, wide_path.c_str());
      if (length + 1 < size || size == wanted) {
        return win32::FromWide(answer, std::min(length, size - 1));
      }
      size = size > wanted / 2 ? wanted : size * 2;
    }
  } catch (...) {
    return std::u16string();
  }
}

}  // namespace zelk::platform
