// The address files of `zelkctl check-list`, `impact`, `lint --profile` and `report`: one
// address a line, or logs whose lines hold an address among other words.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_ADDRESS_FILE_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_ADDRESS_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::tools {

// How much of an address file is read: a page of samples needs only its start.
struct AddressFileLimits {
  size_t bytes = std::string::npos;      // of the file's start
  size_t addresses = std::string::npos;  // taken at the most
};

// Reads one address a line. Blank lines and lines starting with "#" are passed over; of a
// line with several words (a proxy log, a history export) the first word that holds
// "://" is taken. False when the file cannot be read.
bool ReadAddressFile(const std::string& path,
                     std::vector<std::string>* urls,
                     AddressFileLimits limits = {});
// The address in a line of such a file, or empty for a line without one.
std::string AddressOfLine(std::string_view line);

// Tabs shown as "%09", so that the text fits in one field of a tab-separated line.
std::string WithoutTabs(std::string_view text);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_ADDRESS_FILE_H_
