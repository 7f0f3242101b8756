// zelkctl in a kiosk folder that lacks a file it needs: the library tells the
// administrator once, and zelkctl's own second reading of the configuration stays silent.
#include <cstddef>
#include <filesystem>
#include <string>

#include "tests/support/kiosk_folder_test.h"

namespace zelk {
namespace {

#ifndef _WIN32
// On Windows each telling is a box that waits for a click; on Linux it is one line on
// standard error.
struct MissingFileCase {
  const char* command;  // the arguments after zelkctl
  bool ini;             // false: no zelk.ini; true: one naming a filter file that is missing
  size_t boxes;
  const char* said;  // part of the standard output
};

const MissingFileCase kCases[] = {
    {"report -o report.html", false, 1, "report written to"},
    {"settings", false, 1, "(missing: defaults and registry only)"},
    {"check-url http://a/ http://b/", false, 1, "allowed  http://b/"},
    {"check-url --explain http://a/", false, 1, "allowed  http://a/"},
    {"denied-page http://a/", false, 1, ""},
    {"check-list urls.txt", false, 1, "http://a/"},
    // The doctor reports a missing zelk.ini among its findings, not in a box.
    {"doctor", false, 0, "zelk.ini does not exist"},
    {"check-url --explain http://a/", true, 1, "no rule decided: the filter file could not be"},
    {"check-url http://a/ http://b/ http://c/", true, 1, "allowed  http://c/  (the filter file"},
};

class MissingFileTest : public testing::KioskFolderTest {};

TEST_F(MissingFileTest, TheAdministratorIsToldOnce) {
  testing::WriteFile(folder().path() / "urls.txt", "http://a/\n");
  for (const MissingFileCase& c : kCases) {
    SCOPED_TRACE(c.command);
    std::filesystem::remove(folder().path() / "zelk.ini");
    if (c.ini) {
      kiosk_.WriteIni("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" +
                      testing::Utf8(folder().WinPath(u"gone.txt")) + "\n");
    }
    const testing::CommandRun run = testing::RunCommand("cd \"" + Path("") + "\" && " + zelkctl_ +
                                                        " " + c.command + " 2>stderr.txt");
    const std::string err = testing::ReadFile(folder().path() / "stderr.txt");
    EXPECT_EQ(c.boxes, testing::CountOf(err, "MessageBox: ")) << err;
    EXPECT_NE(std::string::npos, run.out.find(c.said)) << run.out;
  }
}
#endif

}  // namespace
}  // namespace zelk
