// The host process on Linux: the executable's path from /proc, and message boxes as one
// line each on standard error.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "common/text.h"
#include "platform/platform.h"
#include "platform/posix/posix_path.h"
#include "platform/test_hooks.h"

namespace zelk::platform {
namespace {

// The text with each CR written as \r and each LF as \n, so that one box is one line.
std::string OneLine(std::u16string_view text) {
  std::string line;
  for (char c : ToUtf8(text)) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line.push_back(c);
    }
  }
  return line;
}

}  // namespace

namespace internal {

std::u16string SystemHostExecutablePath() {
  std::string target(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", target.data(), target.size());
  if (length <= 0 || static_cast<size_t>(length) >= target.size()) {
    return std::u16string();
  }
  target.resize(static_cast<size_t>(length));
  std::u16string path = posix::FromNativePath(target);
  // GetModuleFileNameW keeps what fits its buffer of kMaxPath characters.
  if (path.size() > kMaxPath - 1) {
    path.resize(kMaxPath - 1);
  }
  return path;
}

// The caption is written on one line too, although a path never holds a line break.
void ShowSystemMessageBox(std::u16string_view caption,
                          std::u16string_view text,
                          MessageBoxIcon /*icon*/) {
  const std::string line = "MessageBox: " + OneLine(caption) + ": " + OneLine(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace internal

}  // namespace zelk::platform
