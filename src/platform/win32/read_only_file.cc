// ReadOnlyFile on a Win32 file handle.
#include <windows.h>

#include <utility>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {
namespace {

HANDLE AsHandle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

uint32_t ReadOnlyFile::Open(std::u16string_view path) {
  Close();
  const HANDLE file = CreateFileW(win32::WideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError();
  }
  // A pipe or device (\\.\pipe\x, CON, ...) could block a read for ever.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return ERROR_ACCESS_DENIED;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  return kErrorSuccess;
}

uint32_t ReadOnlyFile::Read(void* buffer, size_t size, size_t* read) {
  if (!is_open()) {
    return ERROR_INVALID_HANDLE;
  }
  // One call reads at most what a DWORD counts.
  const DWORD wanted = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr)) {
    return GetLastError();
  }
  *read = got;
  return kErrorSuccess;
}

uint32_t ReadOnlyFile::Size(uint64_t* size) const {
  if (!is_open()) {
    return ERROR_INVALID_HANDLE;
  }
  LARGE_INTEGER bytes;
  if (!GetFileSizeEx(AsHandle(handle_), &bytes)) {
    return GetLastError();
  }
  *size = static_cast<uint64_t>(bytes.QuadPart);
  return kErrorSuccess;
}

uint32_t ReadOnlyFile::Close() {
  if (!is_open()) {
    return kErrorSuccess;
  }
  const HANDLE file = AsHandle(std::exchange(handle_, kInvalidHandle));
  return CloseHandle(file) ? kErrorSuccess : GetLastError();
}

}  // namespace zelk::platform
