// The local application data folder on Linux: LOCALAPPDATA, else XDG_DATA_HOME, else
// HOME/.local/share, the folder where Linux programs keep per-user data.
#include <cstdlib>

#include "platform/platform.h"
#include "platform/posix/file_status.h"
#include "platform/posix/posix_path.h"

namespace zelk::platform {
namespace {

// The variable's value, or empty when it is not set.
std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

uint32_t GetLocalAppDataFolder(std::u16string* out) {
  std::string folder = Variable("LOCALAPPDATA");
  if (folder.empty()) {
    folder = Variable("XDG_DATA_HOME");
  }
  if (folder.empty()) {
    const std::string home = Variable("HOME");
    if (home.empty()) {
      return kErrorFileNotFound;
    }
    folder = home + "/.local/share";
  }
  // The folder is named without a separator at its end, as SHGetFolderPathW names it.
  while (folder.size() > 1 && folder.back() == '/') {
    folder.pop_back();
  }
  std::u16string path = posix::FromNativePath(folder);
  if (posix::ExceedsPathLimit(path)) {
    return kErrorFilenameExcedRange;
  }
  *out = std::move(path);
  return kErrorSuccess;
}

}  // namespace zelk::platform
