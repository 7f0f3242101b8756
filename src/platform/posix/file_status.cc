#include "platform/posix/file_status.h"

#include <fcntl.h>
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

// A folder on which another file system is mounted (or bound) is reported as a junction
// is on Windows, so that cleaning removes the link and never walks into the other tree.
bool IsMountPoint(const std::string& native_path, const struct stat& entry) {
#ifdef STATX_ATTR_MOUNT_ROOT
  struct statx extended;
  if (statx(AT_FDCWD, native_path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &extended) ==
          0 &&
      (extended.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
    return (extended.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  }
#endif
  struct stat parent;
  return stat(ParentOf(native_path).c_str(), &parent) == 0 && parent.st_dev != entry.st_dev;
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
    *attributes =
        kAttributeDirectory | (IsMountPoint(native_path, entry) ? kAttributeReparsePoint : 0);
    return kErrorSuccess;
  }
  *attributes = (entry.st_mode & S_IWUSR) != 0 ? kAttributeNormal : kAttributeReadOnly;
  return kErrorSuccess;
}

}  // namespace zelk::platform::posix
