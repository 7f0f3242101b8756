// ReadOnlyFile on a file descriptor. Linux has no share modes: others may still write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/platform.h"
#include "platform/posix/file_status.h"
#include "platform/posix/posix_path.h"

namespace zelk::platform {

uint32_t ReadOnlyFile::Open(std::u16string_view path) {
  Close();
  if (posix::ExceedsPathLimit(path)) {
    return kErrorFilenameExcedRange;
  }
  const std::string native = posix::ToNativePath(path);
  // Non-blocking, so that a FIFO opens at once (and is then refused) instead of waiting
  // for a writer; reads of a regular file never wait either way.
  const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    return posix::Win32ErrorForPath(errno, native);
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return kErrorAccessDenied;
  }
  handle_ = fd;
  return kErrorSuccess;
}

uint32_t ReadOnlyFile::Read(void* buffer, size_t size, size_t* read_count) {
  if (!is_open()) {
    return 6;  // ERROR_INVALID_HANDLE
  }
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), buffer, size);
    if (got >= 0) {
      *read_count = static_cast<size_t>(got);
      return kErrorSuccess;
    }
    if (errno != EINTR) {
      return posix::Win32ErrorFromErrno(errno);
    }
  }
}

uint32_t ReadOnlyFile::Size(uint64_t* size) const {
  if (!is_open()) {
    return 6;  // ERROR_INVALID_HANDLE
  }
  struct stat info;
  if (fstat(static_cast<int>(handle_), &info) != 0) {
    return posix::Win32ErrorFromErrno(errno);
  }
  *size = static_cast<uint64_t>(info.st_size);
  return kErrorSuccess;
}

uint32_t ReadOnlyFile::Close() {
  if (!is_open()) {
    return kErrorSuccess;
  }
  const int fd = static_cast<int>(std::exchange(handle_, kInvalidHandle));
  return close(fd) == 0 ? kErrorSuccess : posix::Win32ErrorFromErrno(errno);
}

}  // namespace zelk::platform
