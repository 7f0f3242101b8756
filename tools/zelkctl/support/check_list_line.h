// The lines that `zelkctl check-list` writes for each address and `zelkctl impact` reads.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_CHECK_LIST_LINE_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_CHECK_LIST_LINE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/zelkctl/support/check_answer.h"

namespace zelk::tools {

// The first line of check-list's output: the header, the filter file the library loaded
// and whether checking is on, tab-separated.
inline constexpr std::string_view kCheckListHeader = "#zelk-check-list";

struct CheckListLine {
  CheckAnswer answer = CheckAnswer::kRefused;
  int64_t nanoseconds = 0;  // the time CheckURL took
  std::string why;          // the deciding rule, in words
  std::string url;
};

std::string FormatCheckListLine(const CheckListLine& line);
// False for a line that is not in the form FormatCheckListLine writes.
bool ParseCheckListLine(std::string_view text, CheckListLine* line);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_CHECK_LIST_LINE_H_
