// Reading a whole file, for the Linux backend's INI and registry emulation.
#ifndef ZELK_PLATFORM_POSIX_WHOLE_FILE_H_
#define ZELK_PLATFORM_POSIX_WHOLE_FILE_H_

#include <string>

namespace zelk::platform::posix {

// Reads the regular file at the native path `path` into `*bytes`. Returns 0, or the errno
// of the failure (EISDIR for anything but a regular file), leaving `*bytes` alone.
int ReadWholeFile(const std::string& path, std::string* bytes);

}  // namespace zelk::platform::posix

#endif  // ZELK_PLATFORM_POSIX_WHOLE_FILE_H_
