#include "platform/posix/file_status.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/posix_path.h"

namespace zelk::platform::posix {
namespace {

// The folder part of a native path: "." for a bare name, "/" for a name at the root.
std::string ParentOf(const std::string& native_path) {
  std::string path = native_path;
  while (path.size() > 1 && path.back() == '/') {
    path.pop_back();
  }
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

bool ExceedsPathLimit(std::u16string_view path) {
  return path.size() >= kMaxPath;
}

uint32_t Win32ErrorForPath(int error, const std::string& native_path) {
  if (error == ENOENT) {
    struct stat parent;
    const bool parent_is_folder =
        stat(ParentOf(native_path).c_str(), &parent) == 0 && S_ISDIR(parent.st_mode);
    return parent_is_folder ? kErrorFileNotFound : kErrorPathNotFound;
  }
  return Win32ErrorFromErrno(error);
}

uint32_t EntryAttributes(const std::string& native_path, uint32_t* attributes) {
  struct stat entry;
  if (lstat(native_path.c_str(), &entry) != 0) {
    return Win32ErrorForPath(errno, native_path);
  }
  if (S_ISLNK(entry.st_mode)) {
    struct stat target;
    const bool folder_link = stat(native_path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    *attributes = kAttributeReparsePoint | (folder_link ? kAttributeDirectory : 0);
    return kErrorSuccess;
  }
  if (S_ISDIR(entry.st_mode)) {
    *attributes = kAttributeDirectory;
    return kErrorSuccess;
  }
  *attributes = (entry.st_mode & S_IWUSR) != 0 ? kAttributeNormal : kAttributeReadOnly;
  return kErrorSuccess;
}

}  // namespace zelk::platform::posix
