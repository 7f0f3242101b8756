#include "host/text_exports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/readers.h"
#include "profile/profile_layout.h"
#include "tests/support/configured_host.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_support.h"

namespace zelk {
namespace {

using testing::MessageBoxRecorder;
using testing::Utf8;

constexpr char16_t kGuard = u'#';

struct CopyCase {
  const char16_t* text;
  int count;
  bool copied;
  const char16_t* buffer_text;  // what the host reads afterwards
};

const CopyCase kCopies[] = {
    {u"abc", 4, true, u"abc"},  // exact fit
    {u"abc", 3, false, u""},    // one short: no cut path, an empty string
    {u"abc", 1, false, u""},   {u"", 1, true, u""}, {u"abc", 100, true, u"abc"},
};

TEST(CopyToHostBufferTest, WritesWholeTextOrEmptyWithinCount) {
  for (const CopyCase& c : kCopies) {
    SCOPED_TRACE(::testing::Message() << Utf8(c.text) << " into " << c.count);
    std::vector<char16_t> buffer(static_cast<size_t>(c.count) + 8, kGuard);
    EXPECT_EQ(c.copied, CopyToHostBuffer(c.text, buffer.data(), c.count));
    EXPECT_EQ(Utf8(c.buffer_text), Utf8(buffer.data()));
    for (size_t i = static_cast<size_t>(c.count); i < buffer.size(); ++i) {
      ASSERT_EQ(kGuard, buffer[i]) << "written past the count at " << i;
    }
  }
}

class ProfilePathTest : public testing::ConfiguredHostTest {
 protected:
  std::u16string PathFor(const std::string& ini_line) {
    Configure("[Browser]\n" + ini_line + "\n");
    return ExpandedProfileFolder(source_);
  }
};

TEST_F(ProfilePathTest, ExpandsDefinedReferencesAndKeepsUndefinedOnes) {
  const testing::ScopedEnvironmentVariable defined("ZELK_TEST_ROOT", "D:\\kiosk");
  const testing::ScopedEnvironmentVariable undefined("ZELK_TEST_UNDEFINED", nullptr);
  EXPECT_EQ("D:\\kiosk\\data", Utf8(PathFor("ProfileFolder=%ZELK_TEST_ROOT%\\data")));
  EXPECT_EQ("%ZELK_TEST_UNDEFINED%\\data",
            Utf8(PathFor("ProfileFolder=%ZELK_TEST_UNDEFINED%\\data")));
  EXPECT_EQ("", Utf8(PathFor("ProfileFolder=")));
  EXPECT_EQ("", Utf8(PathFor("")));
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(ProfilePathTest, BookmarkBarTextComesFromTheRegistryWhenSet) {
  host_.WriteIni("[Browser]\nBookmarkBarText=from ini\n");
  LocateConfiguration(source_);
  EXPECT_EQ("from ini", Utf8(BookmarkBarTextForHost(source_)));
  registry_.SetString(platform::RegistryHive::kCurrentUser, u"Browser", u"BookmarkBarText",
                      u"from user");
  EXPECT_EQ("from user", Utf8(BookmarkBarTextForHost(source_)));
}

TEST(OverrideTest, ShowsACopyCaptionedTestAndAnswersOne) {
  MessageBoxRecorder boxes;
  EXPECT_EQ(1, ShowOverride(u"hello"));
  EXPECT_EQ(1, ShowOverride(nullptr));
  ASSERT_EQ(2u, boxes.boxes().size());
  EXPECT_EQ("test", Utf8(boxes.boxes()[0].caption));
  EXPECT_EQ("hello", Utf8(boxes.boxes()[0].text));
  EXPECT_EQ(platform::MessageBoxIcon::kNone, boxes.boxes()[0].icon);
  EXPECT_EQ("", Utf8(boxes.boxes()[1].text));
}

}  // namespace
}  // namespace zelk
