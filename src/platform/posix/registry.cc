// The registry on Linux: the .reg file named by ZELK_REGISTRY, read afresh at each query.
#include <cstdlib>
#include <new>

#include "platform/platform.h"
#include "platform/posix/whole_file.h"
#include "platform/reg_file.h"

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
    std::string bytes;
    if (file == nullptr || *file == '\0' || posix::ReadWholeFile(file, &bytes) != 0) {
      return kErrorFileNotFound;
    }
    const RegFile registry = RegFile::Parse(bytes);
    subkey = CutAtNul(subkey);
    if (!registry.HasKey(hive, subkey)) {
      return kErrorFileNotFound;
    }
    const RegistryValue* value = registry.FindValue(hive, subkey, CutAtNul(value_name));
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
