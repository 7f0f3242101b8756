// Reads a file a key names without trusting it: a folder, a pipe or a device is refused
// before anything waits on it, and no more than a bound is read.
#ifndef ZELK_TOOLS_ZELKCTL_DOCTOR_BOUNDED_FILE_H_
#define ZELK_TOOLS_ZELKCTL_DOCTOR_BOUNDED_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelk::tools::doctor {

struct BoundedFile {
  enum class Status {
    kRead,        // `bytes` holds the whole file
    kMissing,     // neither file nor folder of that name
    kFolder,      // a folder
    kUnopenable,  // access denied, or not a regular file (a pipe, a device)
    kTooLarge,    // longer than the bound: `bytes` holds its start
    kReadFailed,  // opened, but a read failed
  };
  Status status = Status::kMissing;
  uint32_t error = 0;  // the Win32 error of the failed step
  std::string bytes;
};

// The file at `path` (a library path: backslashes, relative to the current folder), read
// up to `limit` bytes.
BoundedFile ReadBoundedFile(std::u16string_view path, size_t limit);

// What is wrong with a file that was not read, in words ("does not exist", "is a folder",
// ...); empty for a file that was.
std::string DescribeFileProblem(const BoundedFile& file, size_t limit);

// True when `path` is a folder; `*exists` tells whether it is anything at all.
bool PathIsFolder(std::u16string_view path, bool* exists);

// The folder that holds `path` (trailing separators ignored); empty when it names none.
std::u16string ParentFolder(std::u16string_view path);

}  // namespace zelk::tools::doctor

#endif  // ZELK_TOOLS_ZELKCTL_DOCTOR_BOUNDED_FILE_H_
