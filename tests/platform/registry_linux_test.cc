// QueryRegistryValue of the Linux emulation: the .reg file named by ZELK_REGISTRY.
#ifndef _WIN32

#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/platform/ini_corpus.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

using testing::ScopedEnvironmentVariable;

const std::vector<uint8_t> kSentinel = {0xEE, 0xEE, 0xEE};

struct QueryCase {
  const char* label;
  RegistryHive hive;
  const char16_t* key;
  const char16_t* name;
  size_t capacity;
  uint32_t error;
  std::vector<uint8_t> data;  // when error is 0
};

class RegistryLinuxTest : public ::testing::Test {
 protected:
  // Writes `text` (UTF-8) as a UTF-16LE .reg file and names it in ZELK_REGISTRY.
  void UseRegistry(const std::string& text) {
    const auto path = folder_.path() / "registry.reg";
    testing::WriteFile(path, testing::Utf16FileBytes(FromUtf8(text)));
    variable_.emplace("ZELK_REGISTRY", path.string().c_str());
  }

  void Check(const QueryCase& c) {
    SCOPED_TRACE(c.label);
    RegistryValue value;
    value.type = 0xEEEE;
    value.data = kSentinel;
    EXPECT_EQ(c.error, QueryRegistryValue(c.hive, c.key, c.name, c.capacity, &value));
    if (c.error == kErrorSuccess) {
      EXPECT_EQ(c.data, value.data);
    } else {
      EXPECT_EQ(0xEEEEu, value.type);
      EXPECT_EQ(kSentinel, value.data);
    }
  }

  testing::TempFolder folder_;
  std::optional<ScopedEnvironmentVariable> variable_;
};

constexpr char kRegistry[] =
    "Windows Registry Editor Version 5.00\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Velmora Labs\\Zelk\\Browser]\r\n"
    "\"Title\"=\"Machine\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Velmora Labs\\Zelk\\Browser]\r\n"
    "\"Title\"=\"User\"\r\n"
    "\"Flag\"=dword:00000001\r\n"
    "\"Empty\"=hex:\r\n";

const auto kLm = RegistryHive::kLocalMachine;
const auto kCu = RegistryHive::kCurrentUser;
constexpr char16_t kKey[] = u"Software\\Velmora Labs\\Zelk\\Browser";

TEST_F(RegistryLinuxTest, AnswersFromTheFileLikeRegQueryValueEx) {
  UseRegistry(kRegistry);
  const std::vector<uint8_t> machine = testing::RegSzBytes(u"Machine");
  const std::vector<uint8_t> one = {1, 0, 0, 0};
  constexpr char16_t kUpper[] = u"SOFTWARE\\velmora labs\\ZELK\\browser";
  constexpr char16_t kTrailing[] = u"Software\\Velmora Labs\\Zelk\\Browser\\";
  constexpr char16_t kAbove[] = u"Software\\Velmora Labs";
  constexpr char16_t kFiles[] = u"Software\\Velmora Labs\\Zelk\\Files";
  const QueryCase kCases[] = {
      {"machine value", kLm, kKey, u"Title", 2048, 0, machine},
      {"user value", kCu, kKey, u"title", 2048, 0, testing::RegSzBytes(u"User")},
      {"names in any case", kCu, kUpper, u"FLAG", 4, 0, one},
      {"trailing backslash", kCu, kTrailing, u"Flag", 4, 0, one},
      {"exact fit", kLm, kKey, u"Title", machine.size(), 0, machine},
      {"one short", kLm, kKey, u"Title", machine.size() - 1, kErrorMoreData, {}},
      {"nothing fits", kCu, kKey, u"Flag", 0, kErrorMoreData, {}},
      {"empty value in no room", kCu, kKey, u"Empty", 0, 0, {}},
      {"missing value", kCu, kKey, u"Missing", 2048, kErrorFileNotFound, {}},
      {"key above a written key", kCu, kAbove, u"Title", 2048, kErrorFileNotFound, {}},
      {"missing key", kCu, kFiles, u"Title", 2048, kErrorFileNotFound, {}},
      {"other hive's key", kLm, kKey, u"Flag", 2048, kErrorFileNotFound, {}},
  };
  for (const QueryCase& c : kCases) {
    Check(c);
  }
}

TEST_F(RegistryLinuxTest, WithoutAReadableFileEveryKeyIsMissing) {
  const std::string folder = folder_.path().string();
  const std::string garbage = (folder_.path() / "garbage.reg").string();
  testing::WriteFile(garbage, "\x01\x02 not a registry file");
  // Good but for one line of more than 1 MB: too long to be held.
  const std::string long_line = (folder_.path() / "long.reg").string();
  testing::WriteFile(long_line, std::string(kRegistry) + "\"Long\"=\"" +
                                    std::string(size_t{1} << 20, 'x') + "\"\r\n");
  const std::string fifo = (folder_.path() / "fifo.reg").string();
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));  // would wait for a writer
  const struct {
    const char* label;
    const char* file;  // null: unset
  } kFiles[] = {
      {"unset", nullptr},
      {"empty name", ""},
      {"missing file", "/nonexistent/zelk/registry.reg"},
      {"folder", folder.c_str()},
      {"garbage", garbage.c_str()},
      {"a line too long", long_line.c_str()},
      {"FIFO", fifo.c_str()},
      {"device without end", "/dev/zero"},
  };
  for (const auto& file : kFiles) {
    ScopedEnvironmentVariable variable("ZELK_REGISTRY", file.file);
    Check({file.label, kCu, kKey, u"Title", 2048, kErrorFileNotFound, {}});
  }
}

TEST_F(RegistryLinuxTest, RefusesANullOutArgument) {
  UseRegistry(kRegistry);
  EXPECT_EQ(kErrorInvalidParameter, QueryRegistryValue(kCu, kKey, u"Flag", 4, nullptr));
}

}  // namespace
}  // namespace zelk::platform

#endif  // !_WIN32
