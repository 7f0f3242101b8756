// The address files of `zelkctl check-list` and `zelkctl impact`, and the lines that
// check-list writes for each address.
#ifndef ZELK_TOOLS_ZELKCTL_CHECK_LIST_H_
#define ZELK_TOOLS_ZELKCTL_CHECK_LIST_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::tools {

// Reads one address a line. Blank lines and lines starting with "#" are passed over; of a
// line with several words (a proxy log, a history export) the first word that holds
// "://" is taken. False when the file cannot be read.
bool ReadAddressFile(const std::string& path, std::vector<std::string>* urls);
// The address in a line of such a file, or empty for a line without one.
std::string AddressOfLine(std::string_view line);

// The first line of check-list's output: the header, the filter file the library loaded
// and whether checking is on, tab-separated.
inline constexpr std::string_view kCheckListHeader = "#zelk-check-list";

struct CheckListLine {
  std::string answer;  // "allowed", "refused", or "unloaded" (the filter file could not be loaded)
  int64_t nanoseconds = 0;  // the time CheckURL took
  std::string why;          // the deciding rule, in words
  std::string url;
};

std::string FormatCheckListLine(const CheckListLine& line);
// False for a line that is not in the form FormatCheckListLine writes.
bool ParseCheckListLine(std::string_view text, CheckListLine* line);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_CHECK_LIST_H_
