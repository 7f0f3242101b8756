#include "urlfilter/url_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "config/readers.h"
#include "config/settings_loader.h"
#include "tests/support/configured_host.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/test_support.h"
#include "urlfilter/compiled_filter_list.h"

namespace {

// Allocations above this many bytes fail while it is not 0, so a test can make memory run
// out inside one call.
size_t g_fail_allocations_above = 0;

}  // namespace

// Kept out of line: inlined into a caller, the pairing of this new with free below reads
// to the compiler as a mismatched allocation.
[[gnu::noinline]] void* operator new(size_t size) {
  if (g_fail_allocations_above != 0 && size > g_fail_allocations_above) {
    throw std::bad_alloc();
  }
  if (void* block = std::malloc(size == 0 ? 1 : size)) {
    return block;
  }
  throw std::bad_alloc();
}
// The library's nothrow allocations come here too, so that every block this file's delete
// frees was taken with malloc.
[[gnu::noinline]] void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
[[gnu::noinline]] void operator delete(void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
[[gnu::noinline]] void operator delete(void* block) noexcept {
  std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, size_t) noexcept {
  std::free(block);
}

namespace zelk {
namespace {

using testing::Utf8;

constexpr char kGuard = '\x7F';

class UrlCheckTest : public testing::ConfiguredHostTest {
 protected:
  // Checks `url`, cut to the capacity (1 or more), in a buffer of `capacity` bytes followed
  // by a guard area; while it runs, allocations above `fail_above` bytes fail (0: none do).
  int Check(const std::string& url, int capacity, std::string* page, size_t fail_above = 0) {
    std::vector<char> buffer(static_cast<size_t>(capacity) + 32, kGuard);
    const size_t length = std::min(url.size(), static_cast<size_t>(capacity) - 1);
    std::copy_n(url.begin(), length, buffer.begin());
    buffer[length] = '\0';
    g_fail_allocations_above = fail_above;
    const int answer = CheckUrlBuffer(source_, buffer.data(), capacity);
    g_fail_allocations_above = 0;
    for (size_t i = static_cast<size_t>(capacity); i < buffer.size(); ++i) {
      EXPECT_EQ(kGuard, buffer[i]) << "written past the capacity at " << i;
    }
    *page = std::string(buffer.data());
    return answer;
  }
};

struct PageCase {
  const char* name;
  std::string filter;
  const char* ini;  // lines of section Files
  std::string url;
  int answer;
  std::string page;  // what the host reads from the buffer afterwards
};

constexpr char kWordPage[] = "DeniedURLHTML=[(DENIED_PAGE)|(DENIED_WORD)]\n";
// Former fuzzer finding: a NUL in the mark position read as a blank line while NULs later
// in a line stayed in the rule text (and so in the "all" test and the denied word). A rule
// now ends at its first NUL everywhere, as its pattern always did.
const std::string kFuzzerFile("\x02\x07\x01\x01\x78\x00\x00\x00\x2b\x61\x6c\x6c\x0a\x00\x78\x0a",
                              16);

const PageCase kPages[] = {
    {"an allowed address leaves the buffer untouched", "+all\n-casino\n", "",
     "http://news.example/", 1, "http://news.example/"},
    {"a refused address gets the filled page", "+all\r\n-casino\r\n",
     "DeniedURLHTML=<p>(DENIED_PAGE) refused: (DENIED_WORD)</p>\n", "http://x/Casino/y", 0,
     "<p>http://x/Casino/y refused: casino</p>"},
    {"the default page is about:blank", "-all\n", "", "http://x/", 0, "about:blank"},
    {"the fuzzer's file: the first line's pattern", kFuzzerFile, kWordPage, "a\x07\x01\x01xb", 0,
     "[a%07%01%01xb|%07%01%01x]"},
    {"the fuzzer's file: a line that starts with NUL is blank", kFuzzerFile, kWordPage, "x", 0,
     "[x|]"},
    {"the fuzzer's file: no rule in the remainder of a line", kFuzzerFile, kWordPage, "+all", 0,
     "[+all|]"},
    {"a default rule followed by a NUL", std::string("+all\0-x\n", 9), kWordPage, "x", 1, "x"},
    {"a pattern followed by a NUL", std::string("+all\n-ab\0cd\n", 13), kWordPage, "zabz", 0,
     "[zabz|ab]"},
};

TEST_F(UrlCheckTest, AnswersAndFillsTheDeniedPage) {
  for (const PageCase& c : kPages) {
    SCOPED_TRACE(c.name);
    source_ = ConfigSource();
    host_.InstallFilter(c.filter, c.ini);
    std::string page;
    EXPECT_EQ(c.answer, Check(c.url, 512, &page));
    EXPECT_EQ(c.page, page);
  }
}

TEST_F(UrlCheckTest, SmallBuffersGetATerminatedCutAndTheSameAnswer) {
  host_.InstallFilter("-c\n", "DeniedURLHTML=0123456789(DENIED_WORD)\n");
  const struct {
    const char* url;
    int capacity;
    const char* page;
  } kCuts[] = {
      {"", 1, ""},
      {"c", 2, "0"},
      {"c", 11, "0123456789"},
      {"c", 12, "0123456789c"},  // exact fit
      {"c", 100, "0123456789c"},
  };
  for (const auto& cut : kCuts) {
    SCOPED_TRACE(cut.capacity);
    std::string page;
    EXPECT_EQ(0, Check(cut.url, cut.capacity, &page));
    EXPECT_EQ(cut.page, page);
  }
}

TEST_F(UrlCheckTest, CutNeverSplitsAMultiByteCharacter) {
  // Two euro signs: three bytes each in UTF-8, one in most Windows code pages.
  host_.InstallFilter("-x\n");
  registry_.SetString(platform::RegistryHive::kCurrentUser, u"Files", u"DeniedURLHTML",
                      u"ab\u20AC\u20AC");
  std::string page;
  EXPECT_EQ(0, Check("x", 6, &page));
  const std::string expected = platform::WideToAnsi(u"ab\u20AC\u20AC");
  EXPECT_EQ(expected.substr(0, platform::AnsiPrefixLength(expected, 5)), page);
}

TEST_F(UrlCheckTest, MissingFilterFileGivesAboutBlankAndAsksAgainEachTime) {
  host_.WriteIni("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=no-such-filter.txt\n");
  std::string page;
  for (int attempt = 0; attempt < 2; ++attempt) {
    boxes_.Clear();
    EXPECT_EQ(1, Check("http://x/", 64, &page));
    EXPECT_EQ("About:Blank", page);
    ASSERT_EQ(1u, boxes_.boxes().size());
    EXPECT_EQ(
        "Error loading filter file: no-such-filter.txt\n\nPlease specify correct path in zelk.ini "
        "file.",
        Utf8(boxes_.boxes()[0].text));
    EXPECT_EQ(platform::MessageBoxIcon::kExclamation, boxes_.boxes()[0].icon);
    EXPECT_EQ(Utf8(host_.ExecutablePath()), Utf8(boxes_.boxes()[0].caption));
  }
  EXPECT_EQ(0, source_.filter_list_loaded);
  // A buffer too small for the text gets as much of it as fits.
  EXPECT_EQ(1, Check("h", 6, &page));
  EXPECT_EQ("About", page);
}

TEST_F(UrlCheckTest, CheckingOffAllowsEverythingAndNeverOpensTheFile) {
  host_.WriteIni("[Browser]\nCheckURLAccess=FALSE\n[Files]\nCheckURLFile=no-such-filter.txt\n");
  std::string page;
  EXPECT_EQ(1, Check("http://x/", 64, &page));
  EXPECT_EQ("http://x/", page);
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_EQ(1, source_.filter_list_loaded);
  EXPECT_TRUE(source_.filter_list == nullptr);
}

TEST_F(UrlCheckTest, FileIsReadOnceAndEditsWaitForTheNextLoad) {
  host_.InstallFilter("-all\n");
  std::string page;
  EXPECT_EQ(0, Check("http://x/", 64, &page));
  testing::WriteFile(host_.folder().path() / "filter.txt", "+all\n");
  HostSettingsBlock record{};
  LoadSettings(source_, &record);  // a reload of the settings does not reread the file
  EXPECT_EQ(0, Check("http://x/", 64, &page));
  ASSERT_TRUE(source_.filter_list != nullptr);
  EXPECT_EQ(1u, source_.filter_list->line_count());
}

// With no room declared the buffer is neither written nor read, not even to its
// terminator: the address counts as empty, and only the default rule decides.
TEST_F(UrlCheckTest, CapacityBelowOneNeitherReadsNorWritesTheBuffer) {
  const struct {
    const char* filter;
    int capacity;
    int answer;
  } kCases[] = {
      {"-x\n", 0, 0},        {"-x\n", -5, 0},          {"+all\n-x\n", 0, 1},
      {"+all\n-x\n", -1, 1}, {"+all\n-x\n", -1000, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.filter << " capacity " << c.capacity);
    source_ = ConfigSource();
    host_.InstallFilter(c.filter);
    char buffer[4] = {'x', '\0', kGuard, kGuard};
    EXPECT_EQ(c.answer, CheckUrlBuffer(source_, buffer, c.capacity));
    EXPECT_EQ(std::string("x\0", 2) + kGuard + kGuard, std::string(buffer, 4));
  }
}

TEST_F(UrlCheckTest, FailurePartWayGivesTheSafePageNeverTheAddress) {
  host_.InstallFilter("-x\n", "DeniedURLHTML=(DENIED_PAGE)\n");
  std::string page;
  EXPECT_EQ(0, Check("x", 64, &page));  // settings and rules are loaded before memory runs out
  const std::string address = "x<script>alert(1)</script>" + std::string(200000, 'a');
  // The page would need more than the allocations that fail.
  const struct {
    int capacity;
    size_t fail_above;
  } kCases[] = {{300000, 100000}, {12, 8}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.capacity);
    EXPECT_EQ(0, Check(address, c.capacity, &page, c.fail_above));
    EXPECT_EQ("about:blank", page);
  }
}

// A huge template in a small buffer builds only what the buffer can show.
TEST_F(UrlCheckTest, PageIsBuiltOnlyToTheBuffer) {
  std::string many;
  for (int i = 0; i < 157; ++i) {
    many += "(DENIED_PAGE)";
  }
  host_.InstallFilter("-x\n", "DeniedURLHTML=" + many + "\n");
  std::string page;
  EXPECT_EQ(0, Check("x", 64, &page));
  const std::string address = "x" + std::string(100000, 'a');
  // The whole page would need 157 times the address.
  EXPECT_EQ(0, Check(address, static_cast<int>(address.size()) + 1, &page, 20 * address.size()));
  EXPECT_EQ(address, page);
}

}  // namespace
}  // namespace zelk
