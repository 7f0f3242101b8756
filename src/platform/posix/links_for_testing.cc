#include "platform/links_for_testing.h"

#include <unistd.h>

#include <cerrno>

#include "platform/posix/file_status.h"
#include "platform/posix/posix_path.h"

namespace zelk::platform {

uint32_t CreateSymbolicLinkForTesting(std::u16string_view link,
                                      std::u16string_view target,
                                      bool folder) {
  const std::string native = posix::ToNativePath(link);
  if (symlink(posix::ToNativePath(target).c_str(), native.c_str()) != 0) {
    return posix::Win32ErrorForPath(errno, native);
  }
  return 0;
}

}  // namespace zelk::platform
