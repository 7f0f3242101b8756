// zelkctl denied-page in a kiosk folder: the page is the one the library's CheckURL hands
// back in place of the address, with a note on standard error that says why.
#include <cstddef>
#include <filesystem>
#include <string>

#include "tests/support/kiosk_folder_test.h"

namespace zelk {
namespace {

struct DeniedPageCase {
  const char* name;
  const char* filter;         // null: the filter file named in zelk.ini does not exist
  const char* page_template;  // null: zelk.ini sets none
  const char* url;
  const char* page;
  const char* notes[2];  // parts of what denied-page says on standard error
  size_t boxes;          // the library's message boxes, one a line on Linux
};

const DeniedPageCase kCases[] = {
    {"refused",
     "+all\n-casino\n",
     "<p>(DENIED_PAGE) is blocked by (DENIED_WORD)</p>",
     "http://x/Casino/<b>",
     "<p>http://x/Casino/%3Cb%3E is blocked by casino</p>\n",
     {"refused: line 2 (-casino) refuses it", ""},
     0},
    {"allowed",
     "+all\n-casino\n",
     "(DENIED_PAGE)|(DENIED_WORD)|",
     "http://news/",
     "http://news/||\n",
     {"the address is allowed", "empty word"},
     0},
#ifndef _WIN32
    // The library tells of the missing file in a message box, which waits for a click on
    // Windows; on Linux it is a line on standard error.
    // The page the library shows when it cannot read the filter file.
    {"unloaded", nullptr, nullptr, "http://x/", "About:Blank\n", {"could not be loaded", ""}, 1},
#endif
};

class DeniedPageTest : public testing::KioskFolderTest {
 protected:
  // A kiosk whose zelk.ini names filter.txt, which holds `c.filter` or is missing.
  void Install(const DeniedPageCase& c) {
    kiosk_.InstallFilter(c.filter ? c.filter : "",
                         c.page_template ? std::string("DeniedURLHTML=") + c.page_template : "");
    if (c.filter == nullptr) {
      std::filesystem::remove(folder().path() / "filter.txt");
    }
  }

  // Runs denied-page; `err` receives what it said on standard error.
  testing::CommandRun DeniedPage(const std::string& arguments, std::string* err) {
    const testing::CommandRun run = testing::RunCommand(zelkctl_ + " denied-page " + arguments +
                                                        " 2>\"" + Path("stderr.txt") + "\"");
    *err = testing::ReadFile(folder().path() / "stderr.txt");
    return run;
  }
};

TEST_F(DeniedPageTest, ShowsThePageTheLibraryAnswersWithANoteOfWhy) {
  for (const DeniedPageCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Install(c);
    std::string err;
    const testing::CommandRun run = DeniedPage(std::string("\"") + c.url + "\"", &err);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(c.page, run.out);
    for (const char* note : c.notes) {
      EXPECT_NE(std::string::npos, err.find(note)) << err;
    }
    EXPECT_EQ(c.boxes, testing::CountOf(err, "MessageBox: ")) << err;
  }
}

TEST_F(DeniedPageTest, OneAddressOnly) {
  std::string err;
  EXPECT_EQ(2, DeniedPage("", &err).status);
  EXPECT_EQ(2, DeniedPage("http://a/ http://b/", &err).status);
}

}  // namespace
}  // namespace zelk
