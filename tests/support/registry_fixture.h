// A registry of the test's own for the Zelk keys of both hives.
//
// On Windows the values are written to the real registry (under wine, the prefix's), below
// "Software\Velmora Labs\Zelk", which is emptied before and after the test. On Linux they
// go to a .reg file in a temporary folder that ZELK_REGISTRY names while the fixture lives.
#ifndef ZELK_TESTS_SUPPORT_REGISTRY_FIXTURE_H_
#define ZELK_TESTS_SUPPORT_REGISTRY_FIXTURE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace zelk::testing {

// A text as REG_SZ data: UTF-16LE with its terminating zero.
std::vector<uint8_t> RegSzBytes(std::u16string_view text);

class ScopedRegistry {
 public:
  ScopedRegistry();
  ~ScopedRegistry();
  ScopedRegistry(const ScopedRegistry&) = delete;
  ScopedRegistry& operator=(const ScopedRegistry&) = delete;

  // A REG_SZ value (or REG_EXPAND_SZ with `type`), stored with its terminating zero.
  void SetString(platform::RegistryHive hive,
                 std::u16string_view section,
                 std::u16string_view key,
                 std::u16string_view value,
                 uint32_t type = platform::kRegSz);
  // Any value, byte for byte.
  void SetRaw(platform::RegistryHive hive,
              std::u16string_view section,
              std::u16string_view key,
              uint32_t type,
              const std::vector<uint8_t>& bytes);

 private:
  struct Entry {
    platform::RegistryHive hive;
    std::u16string section;
    std::u16string key;
    uint32_t type;
    std::vector<uint8_t> bytes;
  };
  void Clear();
  void WriteRegFile() const;

  std::vector<Entry> entries_;
  TempFolder folder_;
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_SUPPORT_REGISTRY_FIXTURE_H_
