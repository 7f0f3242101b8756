// The built library and zelkctl installed beside a zelk.ini, as on a kiosk: zelkctl loads
// the library by path and asks it through the exports, in a process of its own whose
// executable lies in the installation folder.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/kiosk_folder_test.h"
#include "tests/support/registry_fixture.h"

namespace zelk {
namespace {

using InstallationTest = testing::KioskFolderTest;

TEST_F(InstallationTest, ExportsAnswerFromTheZelkIniBesideTheHost) {
  const std::u16string filter = kiosk_.Write("filter.txt", "+^https://catalogue/\n-all\n");
  kiosk_.WriteIni(
      "[Browser]\r\nTitle=Reading room\r\nCheckURLAccess=TRUE\r\n[Files]\r\nCheckURLFile=" +
      testing::Utf8(filter) +
      "\r\nDeniedURLHTML=<b>(DENIED_PAGE)</b>\r\n[AppMenu]\r\nDownloads=FALSE\r\n");
  const std::string settings = Run("settings").out;
  EXPECT_NE(std::string::npos, settings.find("\"Reading room\"")) << settings;
  EXPECT_EQ(std::string::npos, settings.find("missing")) << settings;

  const std::string commands = Run("check-command 40012 40011").out;
  EXPECT_NE(std::string::npos, commands.find("40012  refused")) << commands;
  EXPECT_NE(std::string::npos, commands.find("40011  allowed")) << commands;

  EXPECT_EQ(R"([{"id":40012,"answer":0,"governed_by":"AppMenu/Downloads"},)"
            R"({"id":40011,"answer":1,"governed_by":"AppMenu/BookmarkManager"}])"
            "\n",
            Run("check-command --json 40012 40011").out);
  EXPECT_EQ(
      R"([{"url":"https://other/","answer":0,"allowed":false,"buffer":"<b>https://other/</b>",)"
      R"("explanation":"no pattern matches it and the default rule on line 2 (-all) refuses it"}])"
      "\n",
      Run("check-url --json --explain https://other/").out);

  const std::string urls = Run("check-url https://catalogue/x https://other/").out;
  EXPECT_NE(std::string::npos, urls.find("allowed  https://catalogue/x")) << urls;
  EXPECT_NE(std::string::npos, urls.find("page: <b>https://other/</b>")) << urls;
}

#ifndef _WIN32
// The registry of a Linux installation is the .reg file named by ZELK_REGISTRY, which the
// child process inherits.
TEST_F(InstallationTest, SettingsNameEachSourceAndWarnOfUserOverrides) {
  kiosk_.WriteIni("[Browser]\nCheckURLAccess=TRUE\nTitle=ini\n");
  testing::ScopedRegistry registry;
  registry.SetString(platform::RegistryHive::kLocalMachine, u"Browser", u"Title", u"machine");
  registry.SetString(platform::RegistryHive::kCurrentUser, u"Browser", u"CheckURLAccess", u"FALSE");
  const std::string json = Run("settings --json").out;
  EXPECT_NE(std::string::npos,
            json.find(R"({"section":"Browser","key":"Title","type":"text","value":"machine",)"
                      R"("source":"HKLM"})"))
      << json;
  EXPECT_NE(std::string::npos,
            json.find(R"({"section":"Browser","key":"CheckURLAccess","type":"boolean",)"
                      R"("value":"FALSE","source":"HKCU","warning":"HKCU overrides the value )"
                      R"(set in zelk.ini)"))
      << json;
  EXPECT_NE(std::string::npos,
            json.find(R"({"section":"Browser","key":"HelpPageURL","type":"text","value":"",)"
                      R"("source":"default"})"))
      << json;
  const std::string text = Run("settings").out;
  EXPECT_NE(std::string::npos, text.find("warning: Browser/CheckURLAccess: HKCU overrides"))
      << text;
}
#endif

}  // namespace
}  // namespace zelk
