// Folders on Windows: thin calls of the Win32 folder API.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {
using win32::LastError;

uint32_t ListFolder(std::u16string_view pattern, std::vector<DirectoryEntry>* entries) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW(win32::WideText(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    return LastError();
  }
  std::vector<DirectoryEntry> found;
  do {
    found.push_back({win32::FromWide(data.cFileName), data.dwFileAttributes});
  } while (FindNextFileW(find, &data));
  const DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES) {
    return error != 0 ? error : 31;
  }
  *entries = std::move(found);
  return kErrorSuccess;
}

uint32_t CreateFolder(std::u16string_view path) {
  return CreateDirectoryW(win32::WideText(path).c_str(), nullptr) ? kErrorSuccess : LastError();
}

uint32_t RemoveFolder(std::u16string_view path) {
  return RemoveDirectoryW(win32::WideText(path).c_str()) ? kErrorSuccess : LastError();
}

}  // namespace zelk::platform
