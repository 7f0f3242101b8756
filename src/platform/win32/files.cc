// Files on Windows: thin calls of the Win32 file API.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_path.h"

namespace zelk::platform {
namespace {

using win32::WidePath;

// GetLastError after a failed call, never 0.
uint32_t LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? error : 31;  // ERROR_GEN_FAILURE
}

}  // namespace

uint32_t GetPathAttributes(std::u16string_view path, uint32_t* attributes) {
  const DWORD found = GetFileAttributesW(WidePath(path).get());
  if (found == INVALID_FILE_ATTRIBUTES) {
    return LastError();
  }
  *attributes = found;
  return kErrorSuccess;
}

uint32_t RemoveFile(std::u16string_view path) {
  return DeleteFileW(WidePath(path).get()) ? kErrorSuccess : LastError();
}

uint32_t CopyFileTo(std::u16string_view source, std::u16string_view target, bool fail_if_exists) {
  return CopyFileW(WidePath(source).get(), WidePath(target).get(), fail_if_exists ? TRUE : FALSE)
             ? kErrorSuccess
             : LastError();
}

uint32_t ProbeOpenForRead(std::u16string_view path) {
  const HANDLE file = CreateFileW(WidePath(path).get(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return LastError();
  }
  CloseHandle(file);
  return kErrorSuccess;
}

}  // namespace zelk::platform
