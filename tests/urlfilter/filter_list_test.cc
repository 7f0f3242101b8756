#include "urlfilter/filter_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <vector>

#include "messages/system_error.h"
#include "platform/platform.h"
#include "tests/support/configured_host.h"
#include "tests/support/test_support.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/url_check.h"

namespace zelk {
namespace {

using testing::Utf8;

class FilterListTest : public testing::ConfiguredHostTest {
 protected:
  // A fresh source, without boxes, whose filter file is `path`, a library path.
  void UseFilterFile(const std::u16string& path) {
    source_ = ConfigSource();
    boxes_.Clear();
    ConfigureAndLoad("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" + Utf8(path) + "\n");
  }

  // Loads the list from `path`, a library path, into a fresh source.
  int LoadFrom(const std::u16string& path) {
    UseFilterFile(path);
    return LoadFilterList(source_);
  }
};

TEST_F(FilterListTest, ReadsEveryLineOfTheFileOnce) {
  testing::WriteFile(host_.folder().path() / "f.txt",
                     "; rules\r\n-\\.exe$\r\n\r\n+/intranet/\r\n-all");
  EXPECT_EQ(1, LoadFrom(host_.folder().WinPath(u"f.txt")));
  EXPECT_EQ(1, source_.filter_list_loaded);
  const std::vector<std::u16string> expected = {u"; rules", u"-\\.exe$", u"", u"+/intranet/",
                                                u"-all"};
  ASSERT_TRUE(source_.filter_list != nullptr);
  EXPECT_EQ(expected, source_.filter_list->Lines());
  EXPECT_TRUE(boxes_.boxes().empty());
}

// Checking turned off is UrlCheckTest.CheckingOffAllowsEverythingAndNeverOpensTheFile.
TEST_F(FilterListTest, NothingToLoadIsASuccessWithoutMessage) {
  const char* kConfigurations[] = {
      "[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=\n",
      "[Browser]\nCheckURLAccess=TRUE\n",
  };
  for (const char* ini : kConfigurations) {
    SCOPED_TRACE(ini);
    source_ = ConfigSource();
    ConfigureAndLoad(ini);
    EXPECT_EQ(1, LoadFilterList(source_));
    EXPECT_EQ(1, source_.filter_list_loaded);
    EXPECT_TRUE(source_.filter_list == nullptr);
  }
  EXPECT_TRUE(boxes_.boxes().empty());
}

CompiledFilterListPtr OutOfMemory(LineTexts&&) {
  return nullptr;
}

// A list that does not fit in memory once compiled is a file that could not be read: the
// user is told why, the browser is shown About:Blank in place of the address, nothing is
// kept, and the next check tries again.
TEST_F(FilterListTest, ListBeyondMemoryIsAFileThatCouldNotBeRead) {
  testing::WriteFile(host_.folder().path() / "f.txt", "-casino\n+all\n");
  UseFilterFile(host_.folder().WinPath(u"f.txt"));
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
    EXPECT_EQ(file.loaded, LoadFrom(host_.folder().WinPath(u"big.txt")));
    EXPECT_EQ(file.loaded, source_.filter_list_loaded);
    EXPECT_EQ(file.loaded == 0 ? 1u : 0u, boxes_.boxes().size());
    if (file.loaded == 0) {
      EXPECT_TRUE(source_.filter_list == nullptr);
      EXPECT_EQ(0u, Utf8(boxes_.boxes()[0].text).find("Error loading filter file: "));
    }
  }
}

// Neither a folder, nor a FIFO (which would wait for a writer), nor a device (which never
// ends) is read.
TEST_F(FilterListTest, OnlyARegularFileIsAList) {
  std::filesystem::create_directory(host_.folder().path() / "rules");
  std::vector<std::u16string> paths = {host_.folder().WinPath(u"rules")};
#ifndef _WIN32
  ASSERT_EQ(0, mkfifo((host_.folder().path() / "fifo").c_str(), 0600));
  paths.push_back(host_.folder().WinPath(u"fifo"));
  paths.push_back(u"/dev/zero");
#endif
  for (const std::u16string& path : paths) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_EQ(0, LoadFrom(path));
    EXPECT_EQ(0, source_.filter_list_loaded);
    EXPECT_EQ(1u, boxes_.boxes().size());
  }
}

}  // namespace
}  // namespace zelk
