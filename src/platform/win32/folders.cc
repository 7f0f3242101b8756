// Folders on Windows: thin calls of the Win32 folder API.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_path.h"

namespace zelk::platform {
namespace {

using win32::WidePath;

uint32_t LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? error : 31;  // ERROR_GEN_FAILURE
}

}  // namespace

uint32_t ListFolder(std::u16string_view pattern, std::vector<DirectoryEntry>* entries) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW(WidePath(pattern).get(), &data);
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
  return CreateDirectoryW(WidePath(path).get(), nullptr) ? kErrorSuccess : LastError();
}

uint32_t RemoveFolder(std::u16string_view path) {
  return RemoveDirectoryW(WidePath(path).get()) ? kErrorSuccess : LastError();
}

}  // namespace zelk::platform
