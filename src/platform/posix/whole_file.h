// Reading a whole file, for the Linux backend's INI and registry emulation.
#ifndef ZELK_PLATFORM_POSIX_WHOLE_FILE_H_
#define ZELK_PLATFORM_POSIX_WHOLE_FILE_H_

#include <cstddef>
#include <string>

namespace zelk::platform::posix {

// The most a settings or registry file may hold, and the longest line in it: a larger
// file is taken as unreadable rather than held in memory.
inline constexpr size_t kMaxWholeFileBytes = size_t{64} << 20;
inline constexpr size_t kMaxWholeFileLine = size_t{1} << 20;

// Reads the regular file at the native path `path` into `*bytes`. Returns 0, or the errno
// of the failure (EISDIR for anything but a regular file, which is opened without waiting
// so a FIFO cannot hang the caller; EFBIG beyond either limit above), leaving `*bytes`
// alone.
int ReadWholeFile(const std::string& path, std::string* bytes);

}  // namespace zelk::platform::posix

#endif  // ZELK_PLATFORM_POSIX_WHOLE_FILE_H_
