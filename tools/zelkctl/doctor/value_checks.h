// The checks of one value as the reader hands it over: truth words, comments and quotes
// the reader keeps, values cut to fit. Shared by zelk.ini and the registry.
#ifndef ZELK_TOOLS_ZELKCTL_DOCTOR_VALUE_CHECKS_H_
#define ZELK_TOOLS_ZELKCTL_DOCTOR_VALUE_CHECKS_H_

#include <string>
#include <string_view>
#include <vector>

#include "tools/zelkctl/doctor/doctor.h"
#include "tools/zelkctl/doctor/known_keys.h"

namespace zelk::tools::doctor {

// A finding not yet placed in a file.
struct ValueFinding {
  FindingKind kind;
  Severity severity;
  std::string message;
};

// Where a value comes from: zelk.ini keeps comments and unmatched quotes, the registry
// has neither and takes up to 1023 characters.
enum class ValueSource { kIniFile, kRegistry };

// The findings of `read`, what the reader hands over for `key` (for zelk.ini, read with
// the reader's capacity for the key's type); `written` is the value as the line holds it.
std::vector<ValueFinding> CheckValue(const KnownKey& key,
                                     std::u16string_view written,
                                     std::u16string_view read,
                                     ValueSource source);

// The reader's capacity in characters, terminator included, for a key of that type.
size_t IniCapacity(ValueType type);

}  // namespace zelk::tools::doctor

#endif  // ZELK_TOOLS_ZELKCTL_DOCTOR_VALUE_CHECKS_H_
