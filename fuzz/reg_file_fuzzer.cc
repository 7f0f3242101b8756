// .reg files. The bytes are the file. Checks: every key the parser kept is found again
// under its own path, with each of its values; parsing twice gives the same registry.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/emulation/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelk;
  using namespace zelk::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const platform::RegFile registry = platform::RegFile::Parse(bytes);
  const platform::RegFile again = platform::RegFile::Parse(bytes);
  Require(registry.keys().size() == again.keys().size(), "parsing twice gives another registry");
  for (const auto& [folded, key] : registry.keys()) {
    Require(registry.HasKey(key.hive, key.path), "a parsed key is not found");
    for (const auto& [name, value] : key.values) {
      const platform::RegistryValue* found = registry.FindValue(key.hive, key.path, value.name);
      Require(found != nullptr, "a parsed value is not found");
      Require(found->type == value.value.type && found->data == value.value.data,
              "a parsed value reads back otherwise");
    }
  }
  registry.FindValue(platform::RegistryHive::kCurrentUser, u"Software\\Velmora Labs\\Zelk", u"");
  return 0;
}
