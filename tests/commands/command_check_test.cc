#include "commands/command_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "config/readers.h"
#include "config/settings_loader.h"
#include "tests/support/configured_host.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::Utf8;

// The browser's command ids and the key that governs each, as the browser documents them.
struct GovernedCommand {
  int32_t id;
  const char16_t* section;
  const char16_t* key;
};
// clang-format off
const GovernedCommand kGovernedCommands[] = {
    {34000, u"AppMenu", u"NewWindow"},
    {34001, u"AppMenu", u"NewIncognitoWindow"},
    {34014, u"AppMenu", u"NewTab"},
    {34030, u"AppMenu", u"FullScreen"},
    {34031, u"AppMenu", u"Exit"},
    {35000, u"Toolbar", u"BookmarkPage"},
    {35001, u"Toolbar", u"BookmarkPage"},
    {35003, u"PageMenu", u"Print"},
    {35004, u"PageMenu", u"Save"},
    {36000, u"PageMenu", u"Cut"},
    {36001, u"PageMenu", u"Copy"},
    {36003, u"PageMenu", u"Paste"},
    {37000, u"PageMenu", u"Find"},
    {37001, u"PageMenu", u"Find"},
    {37002, u"PageMenu", u"Find"},
    {38001, u"PageMenu", u"zoom"},
    {38002, u"PageMenu", u"zoom"},
    {38003, u"PageMenu", u"zoom"},
    {40000, u"Toolbar", u"OpenFile"},
    {40001, u"PageMenu", u"CreateShortcuts"},
    {40003, u"PageMenu", u"DevTools"},
    {40004, u"PageMenu", u"DevTools"},
    {40005, u"SystemMenu", u"TaskManager"},
    {40008, u"PageMenu", u"ReportBug"},
    {40009, u"AppMenu", u"BookmarkBar"},
    {40010, u"AppMenu", u"History"},
    {40011, u"AppMenu", u"BookmarkManager"},
    {40012, u"AppMenu", u"Downloads"},
    {40015, u"AppMenu", u"Options"},
    {40016, u"AddressMenu", u"EditSearchEngines"},
    {40018, u"AppMenu", u"About"},
    {40019, u"AppMenu", u"Help"},
    {40020, u"Toolbar", u"ShowAppMenu"},
    {40021, u"Toolbar", u"ShowPageMenu"},
    {40023, u"AppMenu", u"Extensions"},
    {41108, u"AppMenu", u"SynchBookmarks"},
};
// clang-format on

using CommandCheckTest = testing::ConfiguredHostTest;

TEST_F(CommandCheckTest, EachKeyTakesAwayExactlyItsCommands) {
  for (const GovernedCommand& governed : kGovernedCommands) {
    SCOPED_TRACE(Utf8(governed.section) + "/" + Utf8(governed.key));
    ConfigureAndLoad("[" + Utf8(governed.section) + "]\n" + Utf8(governed.key) + "=FALSE\n");
    for (const GovernedCommand& other : kGovernedCommands) {
      const bool same_key = std::u16string(other.section) == governed.section &&
                            std::u16string(other.key) == governed.key;
      EXPECT_EQ(same_key ? 0 : 1, CheckCommandId(source_, other.id)) << "id " << other.id;
    }
  }
}

TEST_F(CommandCheckTest, SameKeyInAnotherSectionDoesNotGovernTheCommand) {
  ConfigureAndLoad(
      "[SystemMenu]\nPrint=FALSE\nNewTab=FALSE\n[ContextMenu]\nPrint=FALSE\nDevTools=FALSE\n"
      "[TabMenu]\nNewTab=FALSE\n");
  for (int32_t id : {35003, 40003, 40004, 34014}) {
    EXPECT_EQ(1, CheckCommandId(source_, id)) << id;
  }
}

TEST_F(CommandCheckTest, IdsOutsideTheMapAreAllowed) {
  // Every governing key off, grouped by section (only the first section of a name counts).
  std::map<std::string, std::string> sections;
  for (const GovernedCommand& governed : kGovernedCommands) {
    sections[Utf8(governed.section)] += Utf8(governed.key) + "=FALSE\n";
  }
  ConfigureAndLoad(testing::IniOfSections(sections));
  std::set<int32_t> mapped;
  for (const GovernedCommand& governed : kGovernedCommands) {
    mapped.insert(governed.id);
    EXPECT_EQ(0, CheckCommandId(source_, governed.id)) << governed.id;
  }
  for (int32_t id = 33990; id <= 41120; ++id) {
    if (mapped.count(id) == 0) {
      ASSERT_EQ(1, CheckCommandId(source_, id)) << id;
    }
  }
  for (int32_t id : {0, -1, -35003, INT32_MIN, INT32_MAX, 35003 + 65536}) {
    EXPECT_EQ(1, CheckCommandId(source_, id)) << id;
  }
}

TEST_F(CommandCheckTest, FirstCallLoadsOnceWithoutMessage) {
  host_.WriteIni("[PageMenu]\nFind=FALSE\n");
  EXPECT_EQ(0, CheckCommandId(source_, 37001));
  EXPECT_EQ(1, source_.settings_loaded);
  EXPECT_TRUE(boxes_.boxes().empty());
  // A later change of the file is not seen until the settings are loaded again.
  host_.WriteIni("[PageMenu]\nFind=TRUE\n");
  EXPECT_EQ(0, CheckCommandId(source_, 37000));
  ConfigureAndLoad("[PageMenu]\nFind=TRUE\n");
  EXPECT_EQ(1, CheckCommandId(source_, 37002));
}

TEST_F(CommandCheckTest, AnswersStayFrozenUntilTheNextLoad) {
  ConfigureAndLoad("[Toolbar]\nBookmarkPage=FALSE\n");
  registry_.SetString(platform::RegistryHive::kCurrentUser, u"Toolbar", u"BookmarkPage", u"TRUE");
  EXPECT_EQ(0, CheckCommandId(source_, 35000));
  EXPECT_EQ(0, CheckCommandId(source_, 35001));
  HostSettingsBlock record{};
  LoadSettings(source_, &record);
  EXPECT_EQ(1, CheckCommandId(source_, 35000));
}

TEST_F(CommandCheckTest, MissingIniOnFirstUseIsReportedOnceAndEverythingAllowed) {
  EXPECT_EQ(1, CheckCommandId(source_, 40012));
  EXPECT_EQ(1, CheckCommandId(source_, 40012));
  EXPECT_EQ(1u, boxes_.boxes().size());
}

TEST_F(CommandCheckTest, ShowCommandIdShowsEveryIdBeforeAnswering) {
  ConfigureAndLoad("[Browser]\nShowCommandId=TRUE\n[AppMenu]\nExit=FALSE\n");
  const struct {
    int32_t id;
    const char16_t* text;
    int answer;
  } kShown[] = {
      {34031, u"COMMAND ID: 34031", 0},
      {12345, u"COMMAND ID: 12345", 1},
      {-7, u"COMMAND ID: -7", 1},
      {INT32_MIN, u"COMMAND ID: -2147483648", 1},
  };
  for (const auto& shown : kShown) {
    boxes_.Clear();
    EXPECT_EQ(shown.answer, CheckCommandId(source_, shown.id));
    ASSERT_EQ(1u, boxes_.boxes().size());
    EXPECT_EQ(Utf8(shown.text), Utf8(boxes_.boxes()[0].text));
    EXPECT_EQ(Utf8(host_.ExecutablePath()), Utf8(boxes_.boxes()[0].caption));
  }
}

}  // namespace
}  // namespace zelk
