// Folders on Linux, behaving as the Win32 folder calls do: listing in NTFS order, creation
// and removal of one folder, links removed as links.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/text.h"
#include "platform/platform.h"
#include "platform/posix/file_status.h"
#include "platform/posix/posix_path.h"

namespace zelk::platform {
namespace {

using posix::ExceedsPathLimit;
using posix::ToNativePath;
using posix::Win32ErrorForPath;
using posix::Win32ErrorFromErrno;

constexpr char16_t FoldToUpper(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// NTFS order: names compared code unit by code unit after upper-casing; names that differ
// only in case (possible on Linux) follow ordinal order, so every run lists alike.
bool ListsBefore(const DirectoryEntry& a, const DirectoryEntry& b) {
  const size_t common = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < common; ++i) {
    const char16_t x = FoldToUpper(a.name[i]);
    const char16_t y = FoldToUpper(b.name[i]);
    if (x != y) {
      return x < y;
    }
  }
  if (a.name.size() != b.name.size()) {
    return a.name.size() < b.name.size();
  }
  return a.name < b.name;
}

// Splits a listing pattern into the folder to read. Only "*" and "*.*" are understood:
// they match every entry.
bool FolderOfPattern(std::u16string_view pattern, std::string* folder) {
  const size_t separator = pattern.find_last_of(u"\\/");
  const std::u16string_view mask =
      separator == std::u16string_view::npos ? pattern : pattern.substr(separator + 1);
  if (mask != u"*" && mask != u"*.*") {
    return false;
  }
  if (separator == std::u16string_view::npos) {
    *folder = ".";
  } else if (separator == 0) {
    *folder = "/";
  } else {
    *folder = ToNativePath(pattern.substr(0, separator));
  }
  return true;
}

// Reads the entries of `folder` other than "." and "..", each with its attributes.
uint32_t ReadEntries(const std::string& folder, std::vector<DirectoryEntry>* entries) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    // Windows reports a missing folder inside a pattern as a missing path.
    return errno == ENOENT ? kErrorPathNotFound : Win32ErrorFromErrno(errno);
  }
  while (const dirent* item = readdir(dir)) {
    const std::string name = item->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    uint32_t attributes = 0;
    if (posix::EntryAttributes(folder + "/" + name, &attributes) != kErrorSuccess) {
      continue;  // gone since the folder was read
    }
    entries->push_back({posix::FromNativePath(name), attributes});
  }
  closedir(dir);
  return kErrorSuccess;
}

}  // namespace

uint32_t ListFolder(std::u16string_view pattern, std::vector<DirectoryEntry>* entries) {
  if (ExceedsPathLimit(pattern)) {
    return kErrorFilenameExcedRange;
  }
  std::string folder;
  if (!FolderOfPattern(pattern, &folder)) {
    return kErrorInvalidParameter;
  }
  struct stat info;
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return kErrorPathNotFound;
  }
  std::vector<DirectoryEntry> found;
  if (const uint32_t error = ReadEntries(folder, &found)) {
    return error;
  }
  std::sort(found.begin(), found.end(), ListsBefore);
  entries->clear();
  entries->push_back({u".", kAttributeDirectory});
  entries->push_back({u"..", kAttributeDirectory});
  entries->insert(entries->end(), found.begin(), found.end());
  return kErrorSuccess;
}

uint32_t CreateFolder(std::u16string_view path) {
  if (ExceedsPathLimit(path)) {
    return kErrorFilenameExcedRange;
  }
  if (path.empty()) {
    return kErrorPathNotFound;
  }
  const std::string native = ToNativePath(path);
  if (mkdir(native.c_str(), 0777) == 0) {
    return kErrorSuccess;
  }
  switch (errno) {
    case EEXIST:
      return kErrorAlreadyExists;
    case ENOENT:
    case ENOTDIR:
      return kErrorPathNotFound;
    default:
      return Win32ErrorFromErrno(errno);
  }
}

uint32_t RemoveFolder(std::u16string_view path) {
  if (ExceedsPathLimit(path)) {
    return kErrorFilenameExcedRange;
  }
  const std::string native = ToNativePath(path);
  uint32_t attributes = 0;
  if (const uint32_t error = posix::EntryAttributes(native, &attributes)) {
    return error;
  }
  if ((attributes & kAttributeDirectory) == 0) {
    return posix::kErrorDirectory;
  }
  if ((attributes & kAttributeReparsePoint) != 0) {
    // The link itself goes; its target is never touched.
    return unlink(native.c_str()) == 0 ? kErrorSuccess : Win32ErrorForPath(errno, native);
  }
  if (rmdir(native.c_str()) == 0) {
    return kErrorSuccess;
  }
  if (errno == ENOTEMPTY || errno == EEXIST) {
    return kErrorDirNotEmpty;
  }
  return Win32ErrorForPath(errno, native);
}

}  // namespace zelk::platform
