// What the files of the Linux backend share: the path limit, Win32 codes for failed calls
// where the code depends on more than errno, and Windows attributes of a file-system entry.
#ifndef ZELK_PLATFORM_POSIX_FILE_STATUS_H_
#define ZELK_PLATFORM_POSIX_FILE_STATUS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk::platform::posix {

// ERROR_DIRECTORY: what Windows gives when a folder call meets a file.
inline constexpr uint32_t kErrorDirectory = 267;

// True when `path` does not fit the Windows path limit (terminator included).
bool ExceedsPathLimit(std::u16string_view path);

// The Win32 code for `error` met by a call on `native_path`. ENOENT becomes 3 (path not
// found) when the folder that should hold the path is missing, and 2 (file not found)
// otherwise, as Windows tells the two apart.
uint32_t Win32ErrorForPath(int error, const std::string& native_path);

// The Windows attributes of the entry at `native_path`, which is not followed when it is a
// symbolic link: a link is reported as a reparse point, with the directory bit when it
// stands for a folder. A file without the owner's write permission is read-only. Returns
// the Win32 error when the entry cannot be examined. A folder on which another file
// system is mounted is a reparse point too, as a mounted folder is on Windows.
uint32_t EntryAttributes(const std::string& native_path, uint32_t* attributes);

}  // namespace zelk::platform::posix

#endif  // ZELK_PLATFORM_POSIX_FILE_STATUS_H_
