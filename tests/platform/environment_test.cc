// ExpandEnvironmentText, with the same expectations for the Linux emulation and for the
// real ExpandEnvironmentStringsW.
#include <string>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

using testing::ScopedEnvironmentVariable;
using testing::Utf8;

class ExpandEnvironmentTextTest : public ::testing::Test {
 protected:
  ScopedEnvironmentVariable kiosk_{"ZELK_TEST_KIOSK", "C:\\Kiosk"};
  ScopedEnvironmentVariable user_{"ZELK_TEST_USER", "anna"};
  ScopedEnvironmentVariable undefined_{"ZELK_TEST_UNDEFINED", nullptr};
};

TEST_F(ExpandEnvironmentTextTest, ReplacesDefinedNamesAndKeepsTheRest) {
  const struct {
    const char16_t* text;
    const char16_t* expanded;
  } kCases[] = {
      {u"%ZELK_TEST_KIOSK%\\browser.exe", u"C:\\Kiosk\\browser.exe"},
      {u"%ZELK_TEST_KIOSK%%ZELK_TEST_USER%", u"C:\\Kioskanna"},
      {u"%zelk_test_user%", u"anna"},
      {u"no references", u"no references"},
      {u"", u""},
      {u"%ZELK_TEST_UNDEFINED%", u"%ZELK_TEST_UNDEFINED%"},
      // An undefined reference stays whole; its closing "%" opens nothing.
      {u"%ZELK_TEST_UNDEFINED%ZELK_TEST_USER%", u"%ZELK_TEST_UNDEFINED%ZELK_TEST_USER%"},
      {u"%ZELK_TEST_UNDEFINED%%ZELK_TEST_USER%", u"%ZELK_TEST_UNDEFINED%anna"},
      {u"100%", u"100%"},
      {u"%%", u"%%"},
      {u"50% and %ZELK_TEST_USER%", u"50% and %ZELK_TEST_USER%"},
      {u"%%ZELK_TEST_USER%%", u"%%ZELK_TEST_USER%%"},
      {u"a%ZELK_TEST_USER", u"a%ZELK_TEST_USER"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(Utf8(c.text));
    std::u16string out = u"sentinel";
    ASSERT_TRUE(ExpandEnvironmentText(c.text, 1024, &out));
    EXPECT_EQ(Utf8(c.expanded), Utf8(out));
  }
}

TEST_F(ExpandEnvironmentTextTest, FailsWhenTheResultAndItsTerminatorDoNotFit) {
  const std::u16string text = u"%ZELK_TEST_KIOSK%";  // expands to 8 characters
  const struct {
    size_t capacity;
    bool fits;
  } kCases[] = {{9, true}, {8, false}, {1, false}, {0, false}, {SIZE_MAX, true}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.capacity);
    std::u16string out = u"sentinel";
    EXPECT_EQ(c.fits, ExpandEnvironmentText(text, c.capacity, &out));
    EXPECT_EQ(c.fits ? u"C:\\Kiosk" : u"sentinel", out);
  }
  std::u16string out = u"sentinel";
  EXPECT_FALSE(ExpandEnvironmentText(u"", 0, &out));
  EXPECT_TRUE(ExpandEnvironmentText(u"", 1, &out));
  EXPECT_EQ(u"", out);
  EXPECT_FALSE(ExpandEnvironmentText(u"x", 2, nullptr));
}

}  // namespace
}  // namespace zelk::platform
