// zelkctl report in a real browser: the built zelkctl and library installed beside a
// zelk.ini that takes known entries away and holds hostile text; the page it writes is
// read back from headless Chromium's DOM, never from the code that wrote it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "tests/browser/headless_chromium.h"
#include "tests/support/kiosk_folder_test.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;

// Each menu key the configuration sets, with whether the entry must still be offered:
// only the word TRUE keeps an entry, in any case.
const struct {
  const char* section;
  const char* key;
  const char* value;
  bool on;
} kMenuKeys[] = {
    {"Toolbar", "OpenFile", "FALSE", false},     {"PageMenu", "Separator2", "FALSE", false},
    {"PageMenu", "Cut", "true", true},           {"AppMenu", "Downloads", "false", false},
    {"AppMenu", "Exit", "FALSE", false},         {"SystemMenu", "Print", "FALSE", false},
    {"ContextMenu", "DevTools", "FALSE", false}, {"AddressMenu", "Undo", "yes", false},
    {"AddressMenu", "Cut", "1", false},          {"TabMenu", "BookmarkAllTabs", "FALSE", false},
};

constexpr char kReportScript[] = "ZELK-REPORT-SCRIPT-RAN";
constexpr char kFrameScript[] = "ZELK-FRAME-SCRIPT-RAN";

class ReportBrowserTest : public testing::KioskFolderTest {
 protected:
  void SetUp() override {
    testing::KioskFolderTest::SetUp();
    const std::string hostile = "<script>console.log('" + std::string(kReportScript) +
                                "')</script><img src=x onerror=\"console.log('" + kReportScript +
                                "')\">";
    testing::WriteFile(
        folder().path() / "filter.txt",
        "+^https://catalogue\\.example/\n-" + hostile + "\n-all\n;expect allow " + hostile + "\n");
    testing::WriteFile(folder().path() / "urls.txt",
                       "https://catalogue.example/ok\nhttps://evil.example/" + hostile + "\n");
    std::string ini = "[Browser]\nTitle=" + hostile +
                      "\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" +
                      testing::Utf8(folder().WinPath(u"filter.txt")) +
                      "\nDeniedURLHTML=<html><body><h1>Refused</h1><p>(DENIED_PAGE)</p>"
                      "<script>console.log('" +
                      kFrameScript + "')</script></body></html>\n";
    std::map<std::string, std::string> sections;
    for (const auto& k : kMenuKeys) {
      sections[k.section] += std::string(k.key) + "=" + k.value + "\n";
    }
    kiosk_.WriteIni(ini + testing::IniOfSections(sections));
  }

  // Writes the report; true when zelkctl said it did.
  bool WriteReport() {
    const testing::CommandRun run =
        Run("report -o '" + Path("report.html") + "' --urls '" + Path("urls.txt") + "'");
    EXPECT_EQ(0, run.status) << run.out << err_;
    return run.status == 0;
  }

  fs::path Report() const { return folder().path() / "report.html"; }

  testing::ScopedRegistry registry_;  // empty, whatever the machine holds
};

// data-key -> the entry's markup, for every menu entry of the DOM, by its on or off class.
std::map<std::string, std::string> EntriesOf(const std::string& dom, const std::string& state) {
  std::map<std::string, std::string> entries;
  const std::regex entry("<li class=\"entry " + state +
                         "[^\"]*\" data-key=\"([^\"]+)\"[^>]*>(.*?)</li>");
  for (auto it = std::sregex_iterator(dom.begin(), dom.end(), entry); it != std::sregex_iterator();
       ++it) {
    entries[(*it)[1].str()] = (*it)[2].str();
  }
  return entries;
}

TEST_F(ReportBrowserTest, ShowsExactlyTheSwitchedOffEntriesAsOffAndRunsNoScript) {
  if (!testing::ChromiumInstalled()) {
    GTEST_SKIP() << "chromium is not installed; the report was not read in a browser";
  }
  ASSERT_TRUE(WriteReport());
  const testing::CommandRun chromium =
      testing::RunChromium(folder().path(), Report(), "--dump-dom");
  const std::string& dom = chromium.out;
  const std::string log = testing::ReadFile(folder().path() / "chromium.log");
  if (dom.find("id=\"menus\"") == std::string::npos) {
    GTEST_SKIP() << "Chromium could not start or render here (exit " << chromium.status
                 << "). Its log:\n"
                 << log.substr(0, 2000);
  }
  std::set<std::string> expected_off;
  for (const auto& k : kMenuKeys) {
    if (!k.on) {
      expected_off.insert(std::string(k.section) + "/" + k.key);
    }
  }
  const std::map<std::string, std::string> off = EntriesOf(dom, "off");
  const std::map<std::string, std::string> on = EntriesOf(dom, "on");
  std::set<std::string> shown_off;
  for (const auto& [key, markup] : off) {
    shown_off.insert(key);
    const std::string name = key.substr(key.find('/') + 1);
    EXPECT_NE(std::string::npos, markup.find(name + "=FALSE")) << key << ": " << markup;
    if (name.rfind("Separator", 0) != 0) {
      EXPECT_NE(std::string::npos, markup.find("<s class=\"label\">")) << key << ": " << markup;
    }
  }
  EXPECT_EQ(expected_off, shown_off);
  // doctor's findings head the page: "yes" and "1" read as FALSE.
  std::smatch findings;
  ASSERT_TRUE(std::regex_search(dom, findings, std::regex("id=\"findings\"(.*?)</div>")));
  EXPECT_NE(std::string::npos, findings[1].str().find("[not-truth-word]")) << findings[1].str();
  EXPECT_EQ(137u, on.size() + off.size());
  for (const auto& [key, markup] : on) {
    EXPECT_FALSE(std::regex_search(markup, std::regex("<s[ >]"))) << key << ": " << markup;
  }
  // Nothing of the configuration ran in the report, and the denied page's own script was
  // blocked by its frame's sandbox (the log says so, which also proves the log was read).
  EXPECT_NE(std::string::npos, dom.find("&lt;script&gt;console.log('" + std::string(kReportScript)))
      << "the hostile title is not shown as text";
  EXPECT_EQ(std::string::npos, dom.find("<script")) << "a script element in the report";
  EXPECT_EQ(std::string::npos, dom.find("<img")) << "an image element in the report";
  EXPECT_EQ(std::string::npos, log.find(kReportScript));
  EXPECT_EQ(std::string::npos, log.find(kFrameScript));
  EXPECT_NE(std::string::npos, log.find("Blocked script execution in 'about:srcdoc'")) << log;
}

TEST_F(ReportBrowserTest, IsValidHtmlWhateverBytesTheAddressesHold) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xmllint is not installed; the report's HTML was not checked";
  }
  // Every byte value among the sample addresses, each also where the page quotes it.
  std::string bytes = "https://catalogue.example/ok\nhttps://evil.example/";
  for (int b = 1; b < 256; ++b) {
    bytes += b == '\n' ? ' ' : static_cast<char>(b);
  }
  testing::WriteFile(folder().path() / "urls.txt", bytes + "\n");
  ASSERT_TRUE(WriteReport());
  const testing::CommandRun check =
      testing::RunCommand("xmllint --html --noout '" + Report().string() + "' 2>&1");
  EXPECT_EQ(0, check.status);
  EXPECT_EQ("", check.out);
}

// The screenshot is kept beside the test binaries for a person to look at. Chromium draws
// a sandboxed frame in a process of its own, which its headless screenshot leaves blank;
// the frame is kept in the page's process for the picture alone.
TEST_F(ReportBrowserTest, WritesAScreenshot) {
  if (!testing::ChromiumInstalled()) {
    GTEST_SKIP() << "chromium is not installed; no screenshot of the report";
  }
  ASSERT_TRUE(WriteReport());
  const fs::path artefacts = testing::BuiltFile(ZELKCTL_PATH).parent_path() / "test-artefacts";
  fs::create_directories(artefacts);
  const fs::path shot = artefacts / "report.png";
  fs::remove(shot);
  testing::RunChromium(folder().path(), Report(),
                       "--hide-scrollbars --window-size=1280,2400 "
                       "--disable-features=IsolateSandboxedIframes --screenshot='" +
                           shot.string() + "'");
  if (!fs::exists(shot)) {
    GTEST_SKIP() << "Chromium could not take a screenshot here. Its log:\n"
                 << testing::ReadFile(folder().path() / "chromium.log").substr(0, 2000);
  }
  EXPECT_EQ("\x89PNG", testing::ReadFile(shot).substr(0, 4));
  std::printf("screenshot of the report: %s\n", shot.string().c_str());
}

}  // namespace
}  // namespace zelk
