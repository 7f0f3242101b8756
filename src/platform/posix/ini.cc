// The existence test and the INI reader of the configuration, on Linux.
#include <sys/stat.h>

#include "platform/ini_text.h"
#include "platform/platform.h"
#include "platform/posix/posix_path.h"
#include "platform/posix/whole_file.h"

namespace zelk::platform {
namespace {

// The Win32 calls take paths of fewer than kMaxPath characters.
bool FitsPathLimit(std::u16string_view path) {
  return !path.empty() && path.size() < kMaxPath;
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

std::u16string ReadIniString(std::u16string_view section,
                             std::u16string_view key,
                             std::u16string_view default_value,
                             size_t capacity,
                             std::u16string_view ini_path) {
  try {
    std::string bytes;
    if (!FitsPathLimit(ini_path) || !posix::ReadWholeFile(posix::ToNativePath(ini_path), &bytes)) {
      return IniDefaultString(default_value, capacity);
    }
    return IniStringFromBytes(bytes, section, key, default_value, capacity);
  } catch (...) {
    return std::u16string();
  }
}

}  // namespace zelk::platform
