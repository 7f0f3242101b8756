// The existence test and the INI reader of the configuration, on Linux.
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <string>

#include "platform/emulation/ini_text.h"
#include "platform/platform.h"
#include "platform/posix/config_snapshot.h"
#include "platform/posix/posix_path.h"
#include "platform/posix/whole_file.h"

namespace zelk::platform {
namespace {

// The Win32 calls take paths of fewer than kMaxPath characters.
bool FitsPathLimit(std::u16string_view path) {
  return !path.empty() && path.size() < kMaxPath;
}

bool IsFolder(const std::string& native_path) {
  struct stat info;
  return stat(native_path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder part of a native path; "." for a bare name.
std::string FolderOf(const std::string& native_path) {
  const size_t slash = native_path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : native_path.substr(0, slash);
}

}  // namespace

bool PathExists(std::u16string_view path) {
  try {
    struct stat info;
    return FitsPathLimit(path) && stat(posix::ToNativePath(path).c_str(), &info) == 0;
  } catch (...) {
    return false;
  }
}

// GetPrivateProfileStringW takes a missing file in a folder that exists for a new, empty
// file; only a file it cannot open at all gives the default untouched by the quote rule.
std::u16string ReadIniString(std::u16string_view section,
                             std::u16string_view key,
                             std::u16string_view default_value,
                             size_t capacity,
                             std::u16string_view ini_path) {
  try {
    if (!FitsPathLimit(ini_path)) {
      return IniDefaultString(default_value, capacity);
    }
    const std::string native = posix::ToNativePath(ini_path);
    const auto file = posix::SnapshotIniFile(native, [&native] {
      posix::IniFileText read;
      std::string bytes;
      const int error = posix::ReadWholeFile(native, &bytes);
      read.readable = error == 0 || (error == ENOENT && IsFolder(FolderOf(native)));
      if (read.readable) {
        read.document = std::make_unique<const IniDocument>(DecodeIniBytes(bytes));
      }
      return read;
    });
    if (!file->readable) {
      return IniDefaultString(default_value, capacity);
    }
    return file->document->Answer(section, key, default_value, capacity);
  } catch (...) {
    return std::u16string();
  }
}

}  // namespace zelk::platform
