// Reading a whole file, for the Linux backend's INI and registry emulation.
#ifndef ZELK_PLATFORM_POSIX_WHOLE_FILE_H_
#define ZELK_PLATFORM_POSIX_WHOLE_FILE_H_

#include <string>

namespace zelk::platform::posix {

// Reads the regular file at the native path `path` into `*bytes`. False, leaving `*bytes`
// alone, when it is missing, not a regular file (a folder, for one) or cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes);

}  // namespace zelk::platform::posix

#endif  // ZELK_PLATFORM_POSIX_WHOLE_FILE_H_
