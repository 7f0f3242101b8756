// Files on Windows: thin calls of the Win32 file API.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {
using win32::LastError;

uint32_t GetPathAttributes(std::u16string_view path, uint32_t* attributes) {
  const DWORD found = GetFileAttributesW(win32::WideText(path).c_str());
  if (found == INVALID_FILE_ATTRIBUTES) {
    return LastError();
  }
  *attributes = found;
  return kErrorSuccess;
}

uint32_t RemoveFile(std::u16string_view path) {
  return DeleteFileW(win32::WideText(path).c_str()) ? kErrorSuccess : LastError();
}

uint32_t CopyFileTo(std::u16string_view source, std::u16string_view target, bool fail_if_exists) {
  return CopyFileW(win32::WideText(source).c_str(), win32::WideText(target).c_str(),
                   fail_if_exists ? TRUE : FALSE)
             ? kErrorSuccess
             : LastError();
}

uint32_t ProbeOpenForRead(std::u16string_view path) {
  const HANDLE file = CreateFileW(win32::WideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return LastError();
  }
  CloseHandle(file);
  return kErrorSuccess;
}

}  // namespace zelk::platform
