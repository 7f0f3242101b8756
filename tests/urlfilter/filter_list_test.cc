#include "urlfilter/filter_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/readers.h"
#include "config/settings_loader.h"
#include "tests/support/configured_host.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::FakeHostInstallation;
using testing::MessageBoxRecorder;
using testing::ScopedRegistry;
using testing::Utf8;

class FilterListTest : public testing::ConfiguredHostTest {
 protected:
};

TEST_F(FilterListTest, ReadsEveryLineOfTheFileOnce) {
  testing::WriteFile(host_.folder().path() / "f.txt",
                     "; rules\r\n-\\.exe$\r\n\r\n+/intranet/\r\n-all");
  ConfigureAndLoad("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" +
                   Utf8(host_.folder().WinPath(u"f.txt")) + "\n");
  EXPECT_EQ(1, LoadFilterList(source_));
  EXPECT_EQ(1, source_.filter_list_loaded);
  const std::vector<std::u16string> expected = {u"; rules", u"-\\.exe$", u"", u"+/intranet/",
                                                u"-all"};
  EXPECT_EQ(expected, source_.filter_patterns);
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(FilterListTest, NothingToLoadIsASuccessWithoutMessage) {
  const char* kConfigurations[] = {
      "[Browser]\nCheckURLAccess=FALSE\n[Files]\nCheckURLFile=missing.txt\n",
      "[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=\n",
      "[Browser]\nCheckURLAccess=TRUE\n",
  };
  for (const char* ini : kConfigurations) {
    SCOPED_TRACE(ini);
    ConfigSource source;
    host_.WriteIni(ini);
    LocateConfiguration(source);
    HostSettingsBlock record{};
    LoadSettings(source, &record);
    EXPECT_EQ(1, LoadFilterList(source));
    EXPECT_EQ(1, source.filter_list_loaded);
    EXPECT_TRUE(source.filter_patterns.empty());
  }
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(FilterListTest, UnopenableFileIsReportedWithTheConfiguredPath) {
  ConfigureAndLoad("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=C:\\rules\\none.txt\n");
  EXPECT_EQ(0, LoadFilterList(source_));
  EXPECT_EQ(0, source_.filter_list_loaded);
  ASSERT_EQ(1u, boxes_.boxes().size());
  EXPECT_EQ(
      "Error loading filter file: C:\\rules\\none.txt\n\nPlease specify correct path in zelk.ini "
      "file.",
      Utf8(boxes_.boxes()[0].text));
  EXPECT_EQ(platform::MessageBoxIcon::kExclamation, boxes_.boxes()[0].icon);
  EXPECT_EQ(Utf8(host_.ExecutablePath()), Utf8(boxes_.boxes()[0].caption));
}

TEST_F(FilterListTest, FolderInPlaceOfTheFileIsNotAList) {
  std::filesystem::create_directory(host_.folder().path() / "rules");
  ConfigureAndLoad("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" +
                   Utf8(host_.folder().WinPath(u"rules")) + "\n");
  EXPECT_EQ(0, LoadFilterList(source_));
  EXPECT_EQ(0, source_.filter_list_loaded);
  EXPECT_EQ(1u, boxes_.boxes().size());
}

}  // namespace
}  // namespace zelk
