// The files zelkctl writes for administrators (the commented zelk.ini and the Group Policy
// templates) list every key the library reads, and the templates are consistent XML.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <string>

#include "common/text.h"
#include "config/command_visibility_table.h"
#include "config/settings_table.h"
#include "tests/support/temp_folder_test.h"
#include "tests/support/test_support.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/cli.h"

namespace zelk {
namespace {

using testing::Utf8;

// Every key the library reads, enumerated from its own tables.
std::set<std::string> LibraryKeys() {
  std::set<std::string> keys;
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    keys.insert(Utf8(kSettingKeys[i].section) + "/" + Utf8(kSettingKeys[i].key));
  }
  for (const CommandVisibilitySlot& slot : kCommandVisibilityTable) {
    if (slot.key != nullptr) {
      keys.insert(Utf8(slot.section) + "/" + Utf8(slot.key));
    }
  }
  return keys;
}

TEST(TemplateTest, ListsEveryKeyOnceUnderItsSection) {
  const tools::Output run = tools::Zelkctl({"template"});
  EXPECT_EQ(0, run.status);
  std::set<std::string> listed;
  std::string section;
  const std::regex header(R"(^\[(\w+)\]$)");
  const std::regex key_line(R"(^;(\w+)=.*$)");
  for (const std::string& line : tools::Lines(run.out)) {
    std::smatch match;
    if (std::regex_match(line, match, header)) {
      section = match[1];
    } else if (std::regex_match(line, match, key_line)) {
      EXPECT_TRUE(listed.insert(section + "/" + std::string(match[1])).second)
          << "listed twice: " << section << "/" << match[1];
    }
  }
  EXPECT_EQ(LibraryKeys(), listed);
}

class AdmxTest : public testing::TempFolderTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, tools::Zelkctl({"admx", temp_.path().u8string()}).status);
    admx_ = testing::ReadFile(F("zelk.admx"));
    adml_ = testing::ReadFile(F("en-US/zelk.adml"));
  }

  // Every match of group 1 of `pattern` in `text`.
  static std::set<std::string> All(const std::string& text, const std::string& pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it) {
      found.insert((*it)[1]);
    }
    return found;
  }

  std::string admx_;
  std::string adml_;
};

TEST_F(AdmxTest, EveryKeyIsAPolicyForBothRegistryViews) {
  std::set<std::string> native;
  std::set<std::string> wow64;
  const std::regex policy(
      R"re(<policy name="[^"]*" class="(\w+)"[^>]*key="Software\\(WOW6432Node\\)?Velmora Labs\\Zelk\\(\w+)" (?:valueName="(\w+)")?)re");
  for (auto it = std::sregex_iterator(admx_.begin(), admx_.end(), policy);
       it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    std::string value_name = m[4];
    if (value_name.empty()) {  // texts name their value in the element
      const size_t at = static_cast<size_t>(m.position(0));
      const std::regex element(R"re(<text id="[^"]*" valueName="(\w+)")re");
      std::smatch e;
      const std::string rest = admx_.substr(at);
      ASSERT_TRUE(std::regex_search(rest, e, element));
      value_name = e[1];
    }
    const std::string key = std::string(m[3]) + "/" + value_name;
    if (m[2].matched) {
      EXPECT_EQ("Machine", m[1]) << key;
      wow64.insert(key);
    } else {
      EXPECT_EQ("Both", m[1]) << key;
      native.insert(key);
    }
  }
  EXPECT_EQ(LibraryKeys(), native);
  EXPECT_EQ(LibraryKeys(), wow64);
}

TEST_F(AdmxTest, BooleansAreWrittenAsTheStringsTheLibraryReads) {
  EXPECT_EQ(std::string::npos, admx_.find("<decimal"));
  EXPECT_NE(std::string::npos, admx_.find("<enabledValue><string>TRUE</string></enabledValue>"));
  EXPECT_NE(std::string::npos, admx_.find("<disabledValue><string>FALSE</string></disabledValue>"));
}

TEST_F(AdmxTest, EveryReferencedStringAndPresentationIsDefined) {
  const std::set<std::string> strings = All(admx_, R"re(\$\(string\.(\w+)\))re");
  const std::set<std::string> defined = All(adml_, R"re(<string id="(\w+)">)re");
  for (const std::string& id : strings) {
    EXPECT_EQ(1u, defined.count(id)) << "undefined string " << id;
  }
  const std::set<std::string> presentations = All(admx_, R"re(\$\(presentation\.(\w+)\))re");
  const std::set<std::string> presented = All(adml_, R"re(<presentation id="(\w+)">)re");
  EXPECT_EQ(presentations, presented);
  const std::set<std::string> categories = All(admx_, R"re(<category name="(\w+)")re");
  for (const std::string& parent : All(admx_, R"re(<parentCategory ref="(\w+)")re")) {
    EXPECT_EQ(1u, categories.count(parent)) << "undefined category " << parent;
  }
}

#ifndef _WIN32
TEST_F(AdmxTest, FilesAreWellFormedXml) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xmllint is not installed";
  }
  for (const char* name : {"zelk.admx", "en-US/zelk.adml"}) {
    const std::string command = "xmllint --noout '" + F(name).string() + "' 2>&1";
    EXPECT_EQ(0, std::system(command.c_str())) << name;
  }
}
#endif

}  // namespace
}  // namespace zelk
