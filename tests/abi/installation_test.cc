// The built library and zelkctl installed beside a zelk.ini, as on a kiosk: zelkctl loads
// the library by path and asks it through the exports, in a process of its own whose
// executable lies in the installation folder.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/kiosk_folder_test.h"

namespace zelk {
namespace {

class InstallationTest : public testing::KioskFolderTest {
 protected:
  std::string Zelkctl(const std::string& arguments, const std::string& environment = "") {
    return testing::RunCommand(environment + zelkctl_ + " " + arguments).out;
  }
};

TEST_F(InstallationTest, ExportsAnswerFromTheZelkIniBesideTheHost) {
  const std::u16string filter = kiosk_.Write("filter.txt", "+^https://catalogue/\n-all\n");
  kiosk_.WriteIni(
      "[Browser]\r\nTitle=Reading room\r\nCheckURLAccess=TRUE\r\n[Files]\r\nCheckURLFile=" +
      testing::Utf8(filter) +
      "\r\nDeniedURLHTML=<b>(DENIED_PAGE)</b>\r\n[AppMenu]\r\nDownloads=FALSE\r\n");
  const std::string settings = Zelkctl("settings");
  EXPECT_NE(std::string::npos, settings.find("\"Reading room\"")) << settings;
  EXPECT_EQ(std::string::npos, settings.find("missing")) << settings;

  const std::string commands = Zelkctl("check-command 40012 40011");
  EXPECT_NE(std::string::npos, commands.find("40012  refused")) << commands;
  EXPECT_NE(std::string::npos, commands.find("40011  allowed")) << commands;

  EXPECT_EQ(R"([{"id":40012,"answer":0,"governed_by":"AppMenu/Downloads"},)"
            R"({"id":40011,"answer":1,"governed_by":"AppMenu/BookmarkManager"}])"
            "\n",
            Zelkctl("check-command --json 40012 40011"));
  EXPECT_EQ(
      R"([{"url":"https://other/","answer":0,"allowed":false,"buffer":"<b>https://other/</b>",)"
      R"("explanation":"no pattern matches it and the default rule on line 2 (-all) refuses it"}])"
      "\n",
      Zelkctl("check-url --json --explain https://other/"));

  const std::string urls = Zelkctl("check-url https://catalogue/x https://other/");
  EXPECT_NE(std::string::npos, urls.find("allowed  https://catalogue/x")) << urls;
  EXPECT_NE(std::string::npos, urls.find("page: <b>https://other/</b>")) << urls;
}

#ifndef _WIN32
// The registry of a Linux installation is the .reg file named by ZELK_REGISTRY, which the
// child process inherits.
TEST_F(InstallationTest, SettingsNameEachSourceAndWarnOfUserOverrides) {
  kiosk_.WriteIni("[Browser]\nCheckURLAccess=TRUE\nTitle=ini\n");
  const std::string registry = kiosk_.Quoted("registry.reg");
  kiosk_.Write("registry.reg",
               "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\Software\\Velmora Labs\\Zelk\\Browser]\r\n"
               "\"Title\"=\"machine\"\r\n\r\n"
               "[HKEY_CURRENT_USER\\Software\\Velmora Labs\\Zelk\\Browser]\r\n"
               "\"CheckURLAccess\"=\"FALSE\"\r\n");
  const std::string json = Zelkctl("settings --json", "ZELK_REGISTRY=" + registry + " ");
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
  const std::string text = Zelkctl("settings", "ZELK_REGISTRY=" + registry + " ");
  EXPECT_NE(std::string::npos, text.find("warning: Browser/CheckURLAccess: HKCU overrides"))
      << text;
}
#endif

}  // namespace
}  // namespace zelk
