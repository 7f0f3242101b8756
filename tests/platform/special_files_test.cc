// Pipes and devices in the file services on Linux: Windows has none in its folders, so a
// kiosk's files never hold one there, but a Linux folder can, and touching one must not
// hold the host's thread.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace zelk::platform {
namespace {

namespace fs = std::filesystem;

struct SpecialFile {
  const char* name;
  std::u16string (*path)(const testing::TempFolder& temp);
};

std::u16string NamedPipe(const testing::TempFolder& temp) {
  EXPECT_EQ(0, mkfifo((temp.path() / "pipe").c_str(), 0600));  // no writer will come
  return temp.WinPath(u"pipe");
}

std::u16string EndlessDevice(const testing::TempFolder&) {
  return testing::ToWinPath("/dev/zero");
}

// Each would block on open or read forever before: the probe answers that the name is
// taken, and a copy refuses as it refuses a folder, leaving no target behind.
TEST(SpecialFilesTest, AreProbedAndRefusedWithoutWaiting) {
  const SpecialFile cases[] = {{"named pipe", NamedPipe}, {"endless device", EndlessDevice}};
  for (const SpecialFile& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempFolder temp;
    const std::u16string source = c.path(temp);
    EXPECT_EQ(kErrorSuccess, ProbeOpenForRead(source));
    for (const bool fail_if_exists : {true, false}) {
      EXPECT_EQ(kErrorAccessDenied, CopyFileTo(source, temp.WinPath(u"copy"), fail_if_exists));
      EXPECT_FALSE(fs::exists(temp.path() / "copy"));
    }
  }
}

}  // namespace
}  // namespace zelk::platform
#endif  // _WIN32
