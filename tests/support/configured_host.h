// The fixture of tests that run the library's code in a configured kiosk: a kiosk folder
// (zelk.ini is looked up there), a registry of the test's own, a recorder of message boxes
// and a fresh ConfigSource.
#ifndef ZELK_TESTS_SUPPORT_CONFIGURED_HOST_H_
#define ZELK_TESTS_SUPPORT_CONFIGURED_HOST_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config_source.h"
#include "config/readers.h"
#include "config/settings_loader.h"
#include "tests/support/kiosk_folder.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"
#include "urlfilter/url_check.h"

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

  // A kiosk whose filter file holds these lines, with address checking on.
  void InstallFilter(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
      text += line + "\n";
    }
    host_.InstallFilter(text);
  }

  // CheckURL's answers for `urls` from one freshly located configuration, as a library
  // loaded anew gives them: true where it allows the address.
  std::vector<bool> CheckUrlsAllow(const std::vector<std::string>& urls) const {
    ConfigSource source;
    LocateConfiguration(source);
    std::vector<bool> allowed;
    for (const std::string& url : urls) {
      std::vector<char> buffer(url.begin(), url.end());
      buffer.resize(url.size() + 4096, '\0');
      allowed.push_back(CheckUrlBuffer(source, buffer.data(), static_cast<int>(buffer.size())) ==
                        1);
    }
    return allowed;
  }
  bool CheckUrlAllows(const std::string& url) const { return CheckUrlsAllow({url})[0]; }

  KioskFolder host_;
  ScopedRegistry registry_;
  MessageBoxRecorder boxes_;
  ConfigSource source_;
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_SUPPORT_CONFIGURED_HOST_H_
