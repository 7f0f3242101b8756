// What the two backends' ReadOnlyFile share: ownership of the handle. Opening, reading and
// closing are each backend's own.
#include <utility>

#include "platform/platform.h"

namespace zelk::platform {

ReadOnlyFile::~ReadOnlyFile() {
  Close();
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kInvalidHandle)) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, kInvalidHandle);
  }
  return *this;
}

}  // namespace zelk::platform
