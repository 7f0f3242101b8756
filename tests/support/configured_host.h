// The fixture of tests that run the library's code in a configured kiosk: a kiosk folder
// (zelk.ini is looked up there), a registry of the test's own, a recorder of message boxes
// and a fresh ConfigSource.
#ifndef ZELK_TESTS_SUPPORT_CONFIGURED_HOST_H_
#define ZELK_TESTS_SUPPORT_CONFIGURED_HOST_H_

#include <gtest/gtest.h>

#include <string>

#include "config/config_source.h"
#include "config/readers.h"
#include "config/settings_loader.h"
#include "tests/support/kiosk_folder.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"

namespace zelk::testing {

class ConfiguredHostTest : public ::testing::Test {
 protected:
  // Writes zelk.ini beside the host and looks it up, as the exports do first.
  void Configure(const std::string& ini) {
    host_.WriteIni(ini);
    LocateConfiguration(source_);
  }

  // Configure, then load the settings into a scratch record, as GetSettings does.
  void ConfigureAndLoad(const std::string& ini) {
    Configure(ini);
    HostSettingsBlock record{};
    LoadSettings(source_, &record);
  }

  KioskFolder host_;
  ScopedRegistry registry_;
  MessageBoxRecorder boxes_;
  ConfigSource source_;
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_SUPPORT_CONFIGURED_HOST_H_
