// The report's pure parts: escaping of configuration text, the menus drawn from a record,
// and a page built from hostile values that must stay text.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>
#include <string>

#include "common/text.h"
#include "config/command_visibility_table.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/report/html_builder.h"
#include "tools/zelkctl/report/menu_model.h"
#include "tools/zelkctl/report/report_page.h"
#include "tools/zelkctl/report/report_sources.h"
#include "tools/zelkctl/support/blank_text.h"

namespace zelk::tools {
namespace {

TEST(ReportHtmlTest, EscapesMarkupAndReplacesWhatHtmlCannotHold) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {"a\"b'c&d", "a&quot;b&#39;c&amp;d"},
      {"tab\tline\ncr\r", "tab\tline\ncr\r"},
      {"nul\x01"
       "bel\x07",
       "nul\xEF\xBF\xBD"
       "bel\xEF\xBF\xBD"},
      {"del\x7F", "del\xEF\xBF\xBD"},
      {"ff\f", "ff\xEF\xBF\xBD"},        // white space to HTML, refused by XML tools
      {"c1\xC2\x85", "c1\xEF\xBF\xBD"},  // NEL, a C1 control
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"bad\xFF", "bad\xEF\xBF\xBD"},                    // no sequence starts with 0xFF
      {"cut\xE2\x82", "cut\xEF\xBF\xBD\xEF\xBF\xBD"},    // a sequence cut short
      {"over\xC0\xBC", "over\xEF\xBF\xBD\xEF\xBF\xBD"},  // overlong "<" stays no "<"
      {"sur\xED\xA0\x80", "sur\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.out, EscapeHtml(c.in)) << c.in;
  }
}

TEST(ReportMenuTest, KeysReadAsWords) {
  const struct {
    const char* key;
    const char* label;
  } cases[] = {
      {"NewIncognitoWindow", "New Incognito Window"},
      {"zoom", "Zoom"},
      {"CopyURL", "Copy URL"},
      {"URLBar", "URL Bar"},
      {"Separator1", "Separator1"},
      {"DevTools", "Dev Tools"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.label, EntryLabel(c.key));
  }
}

HostSettingsBlock AllOn() {
  HostSettingsBlock record;
  std::memset(&record, 0, sizeof(record));
  for (int32_t& flag : record.menu_flags) {
    flag = 1;
  }
  return record;
}

TEST(ReportMenuTest, EveryKeyedSlotInRecordOrderWithTheRecordsValue) {
  HostSettingsBlock record = AllOn();
  const std::set<size_t> off = {0, 5, 34, 137};  // ShowAppMenu, Separator1, Downloads, last
  for (size_t slot : off) {
    record.menu_flags[slot] = 0;
  }
  std::vector<int32_t> asked;
  const std::vector<Menu> menus = BuildMenus(record, [&](int32_t id) -> std::optional<bool> {
    asked.push_back(id);
    return id != 40012;
  });
  ASSERT_EQ(8u, menus.size());
  EXPECT_TRUE(menus[0].toolbar);
  size_t slot = 0;
  size_t entries = 0;
  for (const Menu& menu : menus) {
    for (const MenuEntry& entry : menu.entries) {
      while (kCommandVisibilityTable[slot].key == nullptr) {
        ++slot;  // the unkeyed slot is not drawn
      }
      SCOPED_TRACE(menu.section + "/" + entry.key);
      EXPECT_EQ(ToUtf8(kCommandVisibilityTable[slot].section), menu.section);
      EXPECT_EQ(ToUtf8(kCommandVisibilityTable[slot].key), entry.key);
      EXPECT_EQ(off.count(slot) == 0, entry.on);
      EXPECT_EQ(entry.key.rfind("Separator", 0) == 0, entry.separator);
      EXPECT_EQ(kCommandVisibilityTable[slot].id_count, entry.commands.size());
      for (const CommandAnswer& answer : entry.commands) {
        EXPECT_EQ(answer.id != 40012, answer.allowed.value_or(true));
      }
      ++slot;
      ++entries;
    }
  }
  EXPECT_EQ(ZELK_MENU_FLAG_COUNT - 1, entries);
  EXPECT_EQ(kCommandMapSize, asked.size());
}

TEST(ReportMenuTest, WithoutAQuestionNoAnswerIsMadeUp) {
  for (const Menu& menu : BuildMenus(AllOn(), nullptr)) {
    for (const MenuEntry& entry : menu.entries) {
      for (const CommandAnswer& answer : entry.commands) {
        EXPECT_FALSE(answer.allowed.has_value()) << entry.key;
      }
    }
  }
}

// Every tag of the page, by name.
std::set<std::string> TagsOf(const std::string& html) {
  std::set<std::string> tags;
  const std::regex tag("<(/?[A-Za-z!][A-Za-z0-9]*)");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator();
       ++it) {
    tags.insert((*it)[1].str());
  }
  return tags;
}

ReportModel HostileModel() {
  const std::string hostile = "\"><script>alert(1)</script><img src=x onerror=alert(2)>'";
  ReportModel model;
  model.title = hostile;
  model.ini_path = hostile;
  model.about = hostile;
  model.findings = std::vector<Finding>{{true, hostile, hostile}};
  model.menus = BuildMenus(AllOn(), nullptr);
  model.settings.push_back({"Browser", "Title", true, hostile, "HKCU", hostile});
  model.filter = {true, hostile, true,    2,
                  1,    1,       hostile, {{3, true, hostile, false, false, hostile}}};
  model.samples.push_back({hostile, SampleAnswer::Outcome::kRefused, hostile,
                           "<p>refused</p><script>alert(3)</script>" + hostile});
  return model;
}

TEST(ReportPageTest, TextFromTheConfigurationNeverBecomesMarkup) {
  const std::string page = RenderReportPage(HostileModel());
  const std::vector<std::string_view> tags = Words(
      "!DOCTYPE html /html head /head meta title /title style /style body /body div /div h1 /h1 "
      "h2 /h2 h3 /h3 p /p table /table tr /tr th /th td /td ul /ul li /li code /code b /b span "
      "/span s /s iframe /iframe pre /pre");
  const std::set<std::string> own(tags.begin(), tags.end());
  for (const std::string& tag : TagsOf(page)) {
    EXPECT_EQ(1u, own.count(tag)) << "<" << tag << " in the page";
  }
  EXPECT_NE(std::string::npos, page.find("&lt;img src=x onerror=alert(2)&gt;"));  // as text
  // The denied page reaches its frame whole, as an attribute, in a frame without scripts.
  const std::regex frame("<iframe class=\"denied\" sandbox=\"\" srcdoc=\"([^\"]*)\"");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(page, match, frame));
  EXPECT_NE(std::string::npos, match[1].str().find("&lt;script&gt;alert(3)"));
  EXPECT_EQ(std::string::npos, page.find("allow-scripts"));
}

TEST(ReportPageTest, FindingsSectionOnlyWhenTheCheckRan) {
  ReportModel model;
  EXPECT_EQ(std::string::npos, RenderReportPage(model).find("id=\"findings\""));
  model.findings = std::vector<Finding>{};
  EXPECT_NE(std::string::npos, RenderReportPage(model).find("No findings"));
}

TEST(ReportPageTest, SaysWhetherTheLibraryReadTheFilterFile) {
  const struct {
    bool checking;
    const char* file;
    bool loaded;
    const char* read;  // the fact shown, or nullptr when no file is named
    bool rules_shown;
  } cases[] = {
      {true, "filter.txt", true, "yes", true},
      {true, "filter.txt", false, "no: the browser shows About:Blank", false},
      {false, "filter.txt", true, "no: the address check is off", false},
      {true, "", true, nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.checking ? " checking" : " off"));
    ReportModel model;
    model.filter.checking = c.checking;
    model.filter.file = c.file;
    model.filter.loaded = c.loaded;
    const std::string page = RenderReportPage(model);
    const std::string fact = "Read by the library</th><td>";
    const size_t at = page.find(fact);
    if (c.read == nullptr) {
      EXPECT_EQ(std::string::npos, at);
    } else {
      ASSERT_NE(std::string::npos, at);
      EXPECT_EQ(0u, page.compare(at + fact.size(), std::strlen(c.read), c.read));
    }
    EXPECT_EQ(c.rules_shown, page.find("<th>Default answer</th>") != std::string::npos);
  }
}

TEST(ReportSamplesTest, TheKiosksOwnPagesFirstEachOnce) {
  HostSettingsBlock record = AllOn();
  std::strcpy(record.new_tab_url, "https://home.example/");
  std::strcpy(record.help_page_url, "https://home.example/");
  EXPECT_EQ((std::vector<std::string>{"https://home.example/", "https://www.example.com/",
                                      "https://www.example.com/downloads/setup.exe"}),
            DefaultSampleUrls(record));
  record.new_tab_url[0] = '\0';
  std::strcpy(record.help_page_url, "https://www.example.com/");
  EXPECT_EQ(2u, DefaultSampleUrls(record).size());
}

TEST(ReportCommandTest, BadUsageIsRefusedBeforeTheLibraryLoads) {
  const std::vector<std::vector<std::string>> cases = {
      {"report", "--bogus"},
      {"report", "-o"},
      {"report", "--json"},
      {"report", "--urls", "/nonexistent/folder/urls.txt"},
  };
  for (const auto& args : cases) {
    const Output run = Zelkctl(args);
    EXPECT_EQ(kExitUsage, run.status) << args[1];
    EXPECT_NE(std::string::npos, run.err.find("zelkctl report:")) << run.err;
  }
}

}  // namespace
}  // namespace zelk::tools
