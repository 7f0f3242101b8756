// The names doctor checks against: every key of the library's tables with the facts the
// checks need, and the nearest known name for one that is not.
#ifndef ZELK_TOOLS_ZELKCTL_DOCTOR_KNOWN_KEYS_H_
#define ZELK_TOOLS_ZELKCTL_DOCTOR_KNOWN_KEYS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings_table.h"

namespace zelk::tools::doctor {

struct KnownKey {
  std::u16string_view section;  // as the library spells it
  std::u16string_view key;
  ValueType type;
  size_t record_bytes;  // the text field it lands in, terminator included; 0 for none
  bool security_relevant;
  int default_flag;                  // booleans
  std::u16string_view default_text;  // strings
};

// Every key: the settings table's, then the menu table's, each once.
const std::vector<KnownKey>& KnownKeys();

// The key of that section and name, both matched without regard to ASCII case, as the
// readers match them; null when there is none.
const KnownKey* FindKnownKey(std::u16string_view section, std::u16string_view key);

// The section's name as the library spells it, or empty when no key belongs to it.
std::u16string_view KnownSection(std::u16string_view section);

// Why an unknown section or key is likely a slip, and what was meant: "did you mean
// [Toolbar]?", "FirstRunUIBupass is a key of [Browser]", or empty when nothing is near.
std::string SuggestSection(std::u16string_view name);
std::string SuggestKey(std::u16string_view section, std::u16string_view name);

// The edit distance of two names compared without regard to ASCII case.
size_t NameDistance(std::u16string_view a, std::u16string_view b);

}  // namespace zelk::tools::doctor

#endif  // ZELK_TOOLS_ZELKCTL_DOCTOR_KNOWN_KEYS_H_
