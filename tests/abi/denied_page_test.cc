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

using DeniedPageTest = testing::KioskFolderTest;

TEST_F(DeniedPageTest, ShowsThePageTheLibraryAnswersWithANoteOfWhy) {
  for (const DeniedPageCase& c : kCases) {
    SCOPED_TRACE(c.name);
    // zelk.ini names filter.txt, which holds `c.filter` or is missing.
    kiosk_.InstallFilter(c.filter ? c.filter : "",
                         c.page_template ? std::string("DeniedURLHTML=") + c.page_template : "");
    if (c.filter == nullptr) {
      std::filesystem::remove(folder().path() / "filter.txt");
    }
    const testing::CommandRun run = Run(std::string("denied-page \"") + c.url + "\"");
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(c.page, run.out);
    for (const char* note : c.notes) {
      EXPECT_NE(std::string::npos, err_.find(note)) << err_;
    }
    EXPECT_EQ(c.boxes, testing::CountOf(err_, "MessageBox: ")) << err_;
  }
}

TEST_F(DeniedPageTest, OneAddressOnly) {
  EXPECT_EQ(2, Run("denied-page").status);
  EXPECT_EQ(2, Run("denied-page http://a/ http://b/").status);
}

}  // namespace
}  // namespace zelk
