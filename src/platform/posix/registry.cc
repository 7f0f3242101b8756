// The registry on Linux: the .reg file named by ZELK_REGISTRY, read afresh at each query
// (once per ConfigurationSnapshot).
#include <cstdlib>
#include <memory>
#include <new>

#include "platform/emulation/reg_file.h"
#include "platform/platform.h"
#include "platform/posix/config_snapshot.h"
#include "platform/posix/whole_file.h"

namespace zelk::platform {
namespace {

std::u16string_view CutAtNul(std::u16string_view text) {
  return text.substr(0, text.find(u'\0'));
}

}  // namespace

// Without a readable file the registry is empty, so every key is missing (2).
uint32_t QueryRegistryValue(RegistryHive hive,
                            std::u16string_view subkey,
                            std::u16string_view value_name,
                            size_t capacity_bytes,
                            RegistryValue* out) {
  if (out == nullptr) {
    return kErrorInvalidParameter;
  }
  try {
    const char* file = std::getenv("ZELK_REGISTRY");
    if (file == nullptr || *file == '\0') {
      return kErrorFileNotFound;
    }
    const std::string path(file);
    const std::shared_ptr<const RegFile> registry =
        posix::SnapshotRegistryFile(path, [&path]() -> std::shared_ptr<const RegFile> {
          std::string bytes;
          if (posix::ReadWholeFile(path, &bytes) != 0) {
            return nullptr;
          }
          return std::make_shared<const RegFile>(RegFile::Parse(bytes));
        });
    if (registry == nullptr) {
      return kErrorFileNotFound;
    }
    subkey = CutAtNul(subkey);
    if (!registry->HasKey(hive, subkey)) {
      return kErrorFileNotFound;
    }
    const RegistryValue* value = registry->FindValue(hive, subkey, CutAtNul(value_name));
    if (value == nullptr) {
      return kErrorFileNotFound;
    }
    if (value->data.size() > capacity_bytes) {
      return kErrorMoreData;
    }
    *out = *value;
    return kErrorSuccess;
  } catch (const std::bad_alloc&) {
    return kErrorNotEnoughMemory;
  } catch (...) {
    return kErrorInvalidData;
  }
}

}  // namespace zelk::platform
