// Calls the built library through its exports, loaded by path as the browser loads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tools/zelkctl/support/host_library.h"

namespace zelk {
namespace {

using testing::Utf8;

class ExportsTest : public ::testing::Test {
 protected:
  // The library is loaded once for every test, as the browser loads it once.
  void SetUp() override {
    static std::string error;
    static const bool loaded =
        library_.Load(testing::BuiltFile(ZELK_LIBRARY_PATH).u8string(), &error);
    ASSERT_TRUE(loaded) << error;
  }

  static inline tools::HostLibrary library_;
};

constexpr ZelkWideChar kGuard = 0x5A5A;
constexpr char16_t kAbout[] = u" Zelk version 1.41.0";

// A buffer of `count` characters followed by a guard area, all filled with kGuard.
struct GuardedBuffer {
  explicit GuardedBuffer(int count)
      : chars(static_cast<size_t>(count > 0 ? count : 0) + 16, kGuard) {}
  bool GuardIntact(int count) const {
    return std::all_of(chars.begin() + std::max(count, 0), chars.end(),
                       [](ZelkWideChar c) { return c == kGuard; });
  }
  std::u16string Text() const {
    return std::u16string(reinterpret_cast<const char16_t*>(chars.data()));
  }
  std::vector<ZelkWideChar> chars;
};

TEST_F(ExportsTest, TextExportsGiveWholeTextsAndNeverWritePastTheCount) {
  GuardedBuffer probe(512);
  EXPECT_EQ(0, library_.GetAboutString(probe.chars.data(), 512));
  const std::u16string about = probe.Text();
  EXPECT_EQ(Utf8(kAbout), Utf8(about.substr(0, std::char_traits<char16_t>::length(kAbout))));
  EXPECT_EQ(std::u16string::npos, about.find(u'\n'));
  const int about_length = static_cast<int>(about.size());
  struct Case {
    int count;
    int result;  // of GetAboutString
    bool whole;  // the text arrives whole, else an empty string
  };
  const Case kCases[] = {
      {about_length + 1, 0, true},  // exact fit
      {about_length, 1, false},     // one short
      {1, 1, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.count);
    GuardedBuffer buffer(c.count);
    EXPECT_EQ(c.result, library_.GetAboutString(buffer.chars.data(), c.count));
    EXPECT_EQ(c.whole ? about_length : 0, static_cast<int>(buffer.Text().size()));
    EXPECT_TRUE(buffer.GuardIntact(c.count));
  }
  for (int count : {0, -1, -100000, INT32_MIN}) {
    SCOPED_TRACE(count);
    GuardedBuffer buffer(0);
    EXPECT_NE(0, library_.GetAboutString(buffer.chars.data(), count));
    library_.GetProfilePath(buffer.chars.data(), count);
    library_.GetBookmarkBarText(buffer.chars.data(), count);
    EXPECT_TRUE(buffer.GuardIntact(0));
  }
}

TEST_F(ExportsTest, NullPointersAreSafe) {
  EXPECT_NE(0, library_.GetAboutString(nullptr, 100));
  library_.GetProfilePath(nullptr, 100);
  library_.GetBookmarkBarText(nullptr, 100);
  EXPECT_EQ(1, library_.Override(nullptr));
  const int found = library_.GetSettings(nullptr);
  EXPECT_TRUE(found == 0 || found == 1);
}

TEST_F(ExportsTest, SettingsFillTheWholeRecord) {
  auto record = std::make_unique<HostSettingsBlock>();
  std::memset(record.get(), 0xCD, sizeof(HostSettingsBlock));
  library_.GetSettings(record.get());
  EXPECT_STREQ("chrome://newtab", record->new_tab_url);
  EXPECT_EQ(1, record->first_run_ui_bupass);
  EXPECT_EQ(1, record->menu_flags[0]);
  EXPECT_EQ(1, record->menu_flags[ZELK_MENU_FLAG_COUNT - 1]);
}

TEST_F(ExportsTest, UnmappedCommandsAreAllowed) {
  for (int id : {0, -1, 12345, 99999}) {
    EXPECT_EQ(1, library_.CheckCommand(id)) << id;
  }
}

}  // namespace
}  // namespace zelk
