// Files on Linux, behaving as the Win32 file calls do: attributes, delete, copy, probe.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/file_status.h"
#include "platform/posix/posix_path.h"

namespace zelk::platform {
namespace {

using posix::ExceedsPathLimit;
using posix::ToNativePath;
using posix::Win32ErrorForPath;
using posix::Win32ErrorFromErrno;

// Closes a descriptor when it goes out of scope.
class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd_; }
  // Closes now; returns the errno of the close, or 0.
  int Close() {
    const int result = close(fd_) == 0 ? 0 : errno;
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// Opens `path` for reading without waiting: opening a named pipe blocks until a writer
// comes, which would hold the host's thread, and a terminal must not become ours.
int OpenWithoutWaiting(const std::string& path) {
  return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

// Writes all of `size` bytes; returns 0 or the errno of the failed write.
int WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return 0;
}

// Copies everything that `from` still holds to `to`; returns 0 or the errno of the failure.
int CopyBytes(int from, int to) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = read(from, buffer, sizeof buffer);
    if (got == 0) {
      return 0;
    }
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    if (const int error = WriteAll(to, buffer, static_cast<size_t>(got))) {
      return error;
    }
  }
}

// Checks an existing target of a replacing copy as CopyFileW does: a folder or a
// read-only file refuses with 5, and a copy of a file onto itself, which would empty it,
// with 32 (the sharing violation Windows reports).
uint32_t CheckReplaceableTarget(const std::string& target, const struct stat& source) {
  struct stat existing;
  if (stat(target.c_str(), &existing) != 0) {
    return kErrorSuccess;
  }
  if (existing.st_dev == source.st_dev && existing.st_ino == source.st_ino) {
    return 32;  // ERROR_SHARING_VIOLATION
  }
  if (S_ISDIR(existing.st_mode) || (existing.st_mode & S_IWUSR) == 0) {
    return kErrorAccessDenied;
  }
  return kErrorSuccess;
}

// Opens the copy's target: created anew in fail-if-exists mode (80 when taken), else
// created or emptied. The new file is private until its permissions are set at the end.
uint32_t OpenTarget(const std::string& target,
                    const struct stat& source,
                    bool fail_if_exists,
                    int* fd) {
  if (!fail_if_exists) {
    if (const uint32_t error = CheckReplaceableTarget(target, source)) {
      return error;
    }
  }
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (fail_if_exists ? O_EXCL : O_TRUNC);
  *fd = open(target.c_str(), flags, 0600);
  if (*fd >= 0) {
    return kErrorSuccess;
  }
  if (errno == EEXIST) {
    return kErrorFileExists;
  }
  return Win32ErrorForPath(errno, target);
}

// Gives the copy the source's permission bits and times, as CopyFileW keeps the
// attributes and the last-write time.
void CopyMetadata(int fd, const struct stat& source) {
  fchmod(fd, source.st_mode & 0777);
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  futimens(fd, times);
}

}  // namespace

uint32_t GetPathAttributes(std::u16string_view path, uint32_t* attributes) {
  if (ExceedsPathLimit(path)) {
    return kErrorFilenameExcedRange;
  }
  if (path.empty()) {
    return kErrorPathNotFound;
  }
  return posix::EntryAttributes(ToNativePath(path), attributes);
}

uint32_t RemoveFile(std::u16string_view path) {
  if (ExceedsPathLimit(path)) {
    return kErrorFilenameExcedRange;
  }
  const std::string native = ToNativePath(path);
  uint32_t attributes = 0;
  if (const uint32_t error = posix::EntryAttributes(native, &attributes)) {
    return error;
  }
  // A folder, a link standing for a folder and a read-only file refuse, as on Windows.
  if ((attributes & (kAttributeDirectory | kAttributeReadOnly)) != 0) {
    return kErrorAccessDenied;
  }
  if (unlink(native.c_str()) != 0) {
    return Win32ErrorForPath(errno, native);
  }
  return kErrorSuccess;
}

uint32_t CopyFileTo(std::u16string_view source, std::u16string_view target, bool fail_if_exists) {
  if (ExceedsPathLimit(source) || ExceedsPathLimit(target)) {
    return kErrorFilenameExcedRange;
  }
  const std::string from_path = ToNativePath(source);
  const std::string to_path = ToNativePath(target);
  ScopedFd from(OpenWithoutWaiting(from_path));
  if (from.get() < 0) {
    return Win32ErrorForPath(errno, from_path);
  }
  struct stat info;
  if (fstat(from.get(), &info) != 0) {
    return Win32ErrorFromErrno(errno);
  }
  // A folder refuses as CopyFileW refuses it. A pipe, socket or device is no file to copy
  // either: reading it could wait for a writer or never end, holding the host's thread.
  if (!S_ISREG(info.st_mode)) {
    return kErrorAccessDenied;
  }
  int to_fd = -1;
  if (const uint32_t error = OpenTarget(to_path, info, fail_if_exists, &to_fd)) {
    return error;
  }
  ScopedFd to(to_fd);
  int error = CopyBytes(from.get(), to.get());
  if (error == 0) {
    CopyMetadata(to.get(), info);
  }
  const int close_error = to.Close();
  if (error == 0) {
    error = close_error;
  }
  if (error != 0) {
    unlink(to_path.c_str());  // like CopyFileW, leave no partial copy behind
    return Win32ErrorFromErrno(error);
  }
  return kErrorSuccess;
}

uint32_t ProbeOpenForRead(std::u16string_view path) {
  if (ExceedsPathLimit(path)) {
    return kErrorFilenameExcedRange;
  }
  const std::string native = ToNativePath(path);
  ScopedFd fd(OpenWithoutWaiting(native));
  if (fd.get() < 0) {
    return Win32ErrorForPath(errno, native);
  }
  struct stat info;
  if (fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return kErrorAccessDenied;  // CreateFileW opens no folder without backup semantics
  }
  return kErrorSuccess;
}

}  // namespace zelk::platform
