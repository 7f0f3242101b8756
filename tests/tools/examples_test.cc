// The bundled examples say what they claim: the fleet's registry file carries the same
// settings as the example installation's zelk.ini.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "config/readers.h"
#include "config/settings_loader.h"
#include "tests/support/configured_host.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

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

using ExamplesTest = testing::ConfiguredHostTest;

TEST_F(ExamplesTest, FleetRegistryFileCarriesTheKioskSettings) {
  host_.WriteIni(testing::ReadFile(kExamples / "kiosk" / "zelk.ini"));
  const auto ini_record = LoadRecord(source_);

  host_.WriteIni("");
  const testing::ScopedEnvironmentVariable fleet(
      "ZELK_REGISTRY", (kExamples / "fleet" / "zelk-fleet.reg").string().c_str());
  ConfigSource from_registry;
  const auto registry_record = LoadRecord(from_registry);

  EXPECT_STREQ("City Library - Catalogue", registry_record->title);
  EXPECT_EQ(0, std::memcmp(ini_record.get(), registry_record.get(), sizeof(HostSettingsBlock)));
  EXPECT_EQ(source_.filter_file_path, from_registry.filter_file_path);
  EXPECT_EQ(source_.denied_page_template, from_registry.denied_page_template);
  EXPECT_EQ(source_.clean_profile_extensions, from_registry.clean_profile_extensions);
  EXPECT_TRUE(boxes_.boxes().empty());
}
#endif

}  // namespace
}  // namespace zelk
