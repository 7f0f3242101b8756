#include "platform/posix/config_snapshot.h"

#include <map>
#include <new>

#include "platform/platform.h"

namespace zelk::platform {
namespace {

struct SnapshotContent {
  std::map<std::string, std::shared_ptr<const posix::IniFileText>> ini_files;
  std::map<std::string, std::shared_ptr<const RegFile>> registry_files;
};

// The snapshot of the calling thread, null while none is alive.
thread_local SnapshotContent* g_snapshot = nullptr;

template <typename Value>
std::shared_ptr<const Value> Kept(std::map<std::string, std::shared_ptr<const Value>>* kept,
                                  const std::string& path,
                                  const std::function<std::shared_ptr<const Value>()>& read) {
  if (kept == nullptr) {
    return read();
  }
  const auto found = kept->find(path);
  if (found != kept->end()) {
    return found->second;
  }
  std::shared_ptr<const Value> value = read();
  kept->emplace(path, value);
  return value;
}

}  // namespace

ConfigurationSnapshot::ConfigurationSnapshot() noexcept {
  if (g_snapshot == nullptr) {
    g_snapshot = new (std::nothrow) SnapshotContent();
    outermost_ = g_snapshot != nullptr;
  }
}

ConfigurationSnapshot::~ConfigurationSnapshot() {
  if (outermost_) {
    delete g_snapshot;
    g_snapshot = nullptr;
  }
}

namespace posix {

std::shared_ptr<const IniFileText> SnapshotIniFile(const std::string& path,
                                                   const std::function<IniFileText()>& read) {
  return Kept<IniFileText>(g_snapshot != nullptr ? &g_snapshot->ini_files : nullptr, path, [&] {
    return std::shared_ptr<const IniFileText>(std::make_shared<IniFileText>(read()));
  });
}

std::shared_ptr<const RegFile> SnapshotRegistryFile(
    const std::string& path,
    const std::function<std::shared_ptr<const RegFile>()>& read) {
  return Kept<RegFile>(g_snapshot != nullptr ? &g_snapshot->registry_files : nullptr, path, read);
}

}  // namespace posix
}  // namespace zelk::platform
