// What a ConfigurationSnapshot keeps on Linux: each INI file and .reg file read during it,
// once, already decoded or parsed. Used by the INI reader and the registry emulation only.
#ifndef ZELK_PLATFORM_POSIX_CONFIG_SNAPSHOT_H_
#define ZELK_PLATFORM_POSIX_CONFIG_SNAPSHOT_H_

#include <functional>
#include <memory>
#include <string>

#include "platform/emulation/ini_text.h"
#include "platform/emulation/reg_file.h"

namespace zelk::platform::posix {

// An INI file as the reader sees it: whether it counts as read, and its lines.
struct IniFileText {
  bool readable = false;
  std::unique_ptr<const IniDocument> document;  // set when readable
};

// The INI file at the native path `path`: from the live snapshot when it holds it, else
// from `read`, whose result the live snapshot keeps. Without a snapshot, `read` every time.
std::shared_ptr<const IniFileText> SnapshotIniFile(const std::string& path,
                                                   const std::function<IniFileText()>& read);

// The registry file at `path`, null when it cannot be read, kept the same way.
std::shared_ptr<const RegFile> SnapshotRegistryFile(
    const std::string& path,
    const std::function<std::shared_ptr<const RegFile>()>& read);

}  // namespace zelk::platform::posix

#endif  // ZELK_PLATFORM_POSIX_CONFIG_SNAPSHOT_H_
