// The checks of zelk.ini's text alone: names, duplicates, and each value as the reader
// hands it over.
#ifndef ZELK_TOOLS_ZELKCTL_DOCTOR_INI_CHECKS_H_
#define ZELK_TOOLS_ZELKCTL_DOCTOR_INI_CHECKS_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "tools/zelkctl/doctor/ini_scan.h"

namespace zelk::tools::doctor {

// The line the reader takes `key` of `section` from (the first line of that name in the
// first section of that name, with or without "="), or 0 when there is none.
size_t IniLineOfKey(const std::vector<IniScanLine>& lines,
                    std::u16string_view section,
                    std::u16string_view key);

}  // namespace zelk::tools::doctor

#endif  // ZELK_TOOLS_ZELKCTL_DOCTOR_INI_CHECKS_H_
