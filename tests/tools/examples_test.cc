// The bundled examples say what they claim: the fleet's registry file carries the same
// settings as the example installation's zelk.ini.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "config/readers.h"
#include "config/settings_loader.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::FakeHostInstallation;
using testing::MessageBoxRecorder;

const std::filesystem::path kExamples = std::filesystem::path(ZELK_SOURCE_DIR) / "examples";

#ifndef _WIN32
// On Linux the registry is a .reg file, so the fleet's file can be read as it is.
std::unique_ptr<HostSettingsBlock> LoadRecord(ConfigSource& source) {
  auto record = std::make_unique<HostSettingsBlock>();
  std::memset(record.get(), 0, sizeof(HostSettingsBlock));
  LocateConfiguration(source);
  LoadSettings(source, record.get());
  return record;
}

TEST(ExamplesTest, FleetRegistryFileCarriesTheKioskSettings) {
  FakeHostInstallation host;
  MessageBoxRecorder boxes;
  unsetenv("ZELK_REGISTRY");
  host.WriteIni(testing::ReadFile(kExamples / "kiosk" / "zelk.ini"));
  ConfigSource from_ini;
  const auto ini_record = LoadRecord(from_ini);

  host.WriteIni("");
  setenv("ZELK_REGISTRY", (kExamples / "fleet" / "zelk-fleet.reg").string().c_str(), 1);
  ConfigSource from_registry;
  const auto registry_record = LoadRecord(from_registry);
  unsetenv("ZELK_REGISTRY");

  EXPECT_STREQ("City Library - Catalogue", registry_record->title);
  EXPECT_EQ(0, std::memcmp(ini_record.get(), registry_record.get(), sizeof(HostSettingsBlock)));
  EXPECT_EQ(from_ini.filter_file_path, from_registry.filter_file_path);
  EXPECT_EQ(from_ini.denied_page_template, from_registry.denied_page_template);
  EXPECT_EQ(from_ini.clean_profile_extensions, from_registry.clean_profile_extensions);
  EXPECT_TRUE(boxes.boxes().empty());
}
#endif

}  // namespace
}  // namespace zelk
