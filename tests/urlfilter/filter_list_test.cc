#include "urlfilter/filter_list.h"

#include <gtest/gtest.h>

#include <string>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <vector>

#include "config/readers.h"
#include "config/settings_loader.h"
#include "messages/system_error.h"
#include "platform/platform.h"
#include "tests/support/configured_host.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/url_check.h"

namespace zelk {
namespace {

using testing::FakeHostInstallation;
using testing::MessageBoxRecorder;
using testing::ScopedRegistry;
using testing::Utf8;

class FilterListTest : public testing::ConfiguredHostTest {
 protected:
  // Loads the list from `path`, a library path.
  int LoadFrom(const std::u16string& path) {
    ConfigureAndLoad("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" + Utf8(path) + "\n");
    return LoadFilterList(source_);
  }
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
  ASSERT_TRUE(source_.filter_list != nullptr);
  EXPECT_EQ(expected, source_.filter_list->Lines());
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
    EXPECT_TRUE(source.filter_list == nullptr);
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

CompiledFilterListPtr OutOfMemory(LineTexts&&) {
  return nullptr;
}

// A list that does not fit in memory once compiled is a file that could not be read: the
// user is told why, the browser is shown About:Blank in place of the address, nothing is
// kept, and the next check tries again.
TEST_F(FilterListTest, ListBeyondMemoryIsAFileThatCouldNotBeRead) {
  testing::WriteFile(host_.folder().path() / "f.txt", "-casino\n+all\n");
  ConfigureAndLoad("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" +
                   Utf8(host_.folder().WinPath(u"f.txt")) + "\n");
  SetFilterListCompilerForTesting(&OutOfMemory);
  char url[64] = "http://casino/";
  EXPECT_EQ(1, CheckUrlBuffer(source_, url, sizeof(url), nullptr));
  EXPECT_STREQ("About:Blank", url);
  SetFilterListCompilerForTesting(nullptr);
  EXPECT_EQ(0, source_.filter_list_loaded);
  EXPECT_TRUE(source_.filter_list == nullptr);
  ASSERT_EQ(1u, boxes_.boxes().size());
  EXPECT_EQ(Utf8(SystemErrorDescription(platform::kErrorNotEnoughMemory)),
            Utf8(boxes_.boxes()[0].text));
  char again[64] = "http://casino/";
  EXPECT_EQ(0, CheckUrlBuffer(source_, again, sizeof(again), nullptr));
  EXPECT_EQ(1, source_.filter_list_loaded);
}

TEST_F(FilterListTest, FolderInPlaceOfTheFileIsNotAList) {
  std::filesystem::create_directory(host_.folder().path() / "rules");
  ConfigureAndLoad("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" +
                   Utf8(host_.folder().WinPath(u"rules")) + "\n");
  EXPECT_EQ(0, LoadFilterList(source_));
  EXPECT_EQ(0, source_.filter_list_loaded);
  EXPECT_EQ(1u, boxes_.boxes().size());
}

// Limits: 256 MB, 1 MB in one line, 2^21 lines. A file beyond any is unreadable: the
// message names it, the list stays as it was and the next check tries again.
TEST_F(FilterListTest, FilesBeyondTheLimitsAreUnreadable) {
  const std::string line(size_t{1} << 20, 'x');
  const struct {
    const char* name;
    std::string content;
    int loaded;
  } kFiles[] = {
      {"a line of 1 MB", "-a\n" + line + "\n+all", 1},
      {"a line of 1 MB and one byte", "-a\n" + line + "x\n+all", 0},
      {"the last line too long", line + "x", 0},
      {"too many lines", std::string(size_t{1} << 21, '\n'), 0},
      {"just few enough lines", std::string((size_t{1} << 21) - 1, '\n'), 1},
      {"what follows Ctrl-Z is not read", "-a\x1A" + line + line, 1},
  };
  for (const auto& file : kFiles) {
    SCOPED_TRACE(file.name);
    testing::WriteFile(host_.folder().path() / "big.txt", file.content);
    ConfigSource fresh;
    source_ = std::move(fresh);
    boxes_.Clear();
    EXPECT_EQ(file.loaded, LoadFrom(host_.folder().WinPath(u"big.txt")));
    EXPECT_EQ(file.loaded, source_.filter_list_loaded);
    EXPECT_EQ(file.loaded == 0 ? 1u : 0u, boxes_.boxes().size());
    if (file.loaded == 0) {
      EXPECT_TRUE(source_.filter_list == nullptr);
      EXPECT_EQ(0u, Utf8(boxes_.boxes()[0].text).find("Error loading filter file: "));
    }
  }
}

#ifndef _WIN32
// Neither a FIFO (which would wait for a writer) nor a device (which never ends) is read.
TEST_F(FilterListTest, OnlyARegularFileIsAList) {
  const std::filesystem::path fifo = host_.folder().path() / "fifo";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  for (const std::u16string& path :
       {host_.folder().WinPath(u"fifo"), std::u16string(u"/dev/zero")}) {
    SCOPED_TRACE(Utf8(path));
    ConfigSource fresh;
    source_ = std::move(fresh);
    boxes_.Clear();
    EXPECT_EQ(0, LoadFrom(path));
    EXPECT_EQ(1u, boxes_.boxes().size());
  }
}
#endif

}  // namespace
}  // namespace zelk
