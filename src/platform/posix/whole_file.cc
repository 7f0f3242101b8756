#include "platform/posix/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

namespace zelk::platform::posix {
namespace {

// Closes the descriptor when it goes out of scope.
class ScopedDescriptor {
 public:
  explicit ScopedDescriptor(int fd) : fd_(fd) {}
  ~ScopedDescriptor() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  ScopedDescriptor(const ScopedDescriptor&) = delete;
  ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Follows the length of the current line through `bytes`; false once one is too long.
bool LinesFit(std::string_view bytes, size_t* line) {
  for (const char c : bytes) {
    *line = c == '\n' ? 0 : *line + 1;
    if (*line > kMaxWholeFileLine) {
      return false;
    }
  }
  return true;
}

}  // namespace

int ReadWholeFile(const std::string& path, std::string* bytes) {
  const ScopedDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  struct stat info;
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0) {
    return errno;
  }
  if (!S_ISREG(info.st_mode)) {
    return EISDIR;
  }
  std::string content;
  size_t line = 0;
  char chunk[16384];
  for (;;) {
    const ssize_t count = read(fd.get(), chunk, sizeof(chunk));
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      return errno;
    }
    if (count == 0) {
      break;
    }
    if (content.size() + static_cast<size_t>(count) > kMaxWholeFileBytes ||
        !LinesFit(std::string_view(chunk, static_cast<size_t>(count)), &line)) {
      return EFBIG;
    }
    content.append(chunk, static_cast<size_t>(count));
  }
  *bytes = std::move(content);
  return 0;
}

}  // namespace zelk::platform::posix
