// A ConfigurationSnapshot gives one settings load a single view of the configuration: on
// Linux the files as first read during it, on Windows whatever the Win32 calls answer.
#include <string>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

using testing::Utf8;

std::string Title(const std::u16string& ini_path) {
  return Utf8(ReadIniString(u"Browser", u"Title", u"none", 2048, ini_path));
}

std::string RegistryTitle() {
  RegistryValue value;
  if (QueryRegistryValue(RegistryHive::kCurrentUser, u"Software\\Velmora Labs\\Zelk\\Browser",
                         u"Title", 2048, &value) != kErrorSuccess) {
    return "missing";
  }
  return std::to_string(value.data.size()) + " bytes";
}

TEST(ConfigurationSnapshotTest, ALoadSeesOneStateOfTheFilesOnLinuxAndTheLiveOneOnWindows) {
  const testing::TempFolder folder;
  const std::u16string ini_path = folder.WinPath(u"zelk.ini");
  testing::WriteFile(folder.path() / "zelk.ini", "[Browser]\nTitle=first\n");
  testing::ScopedRegistry registry;
  registry.SetString(RegistryHive::kCurrentUser, u"Browser", u"Title", u"ab");
#ifdef _WIN32
  const bool kept = false;
#else
  const bool kept = true;
#endif
  {
    const ConfigurationSnapshot snapshot;
    EXPECT_EQ("first", Title(ini_path));
    EXPECT_EQ("6 bytes", RegistryTitle());
    testing::WriteFile(folder.path() / "zelk.ini", "[Browser]\nTitle=second\n");
    registry.SetString(RegistryHive::kCurrentUser, u"Browser", u"Title", u"abcd");
    {
      const ConfigurationSnapshot inner;  // shares the outer one
      EXPECT_EQ(kept ? "first" : "second", Title(ini_path));
    }
    EXPECT_EQ(kept ? "first" : "second", Title(ini_path));
    EXPECT_EQ(kept ? "6 bytes" : "10 bytes", RegistryTitle());
  }
  // Once the load is over, every read is fresh again.
  EXPECT_EQ("second", Title(ini_path));
  EXPECT_EQ("10 bytes", RegistryTitle());
}

}  // namespace
}  // namespace zelk::platform
