// The local application data folder on Windows.
#include <windows.h>

#include <shlobj.h>  // after windows.h, which it needs

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {

uint32_t GetLocalAppDataFolder(std::u16string* out) {
  wchar_t folder[MAX_PATH] = {};
  const HRESULT result = SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder);
  if (FAILED(result)) {
    return HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : ERROR_PATH_NOT_FOUND;
  }
  folder[MAX_PATH - 1] = L'\0';
  *out = win32::FromWide(folder);
  return kErrorSuccess;
}

}  // namespace zelk::platform
