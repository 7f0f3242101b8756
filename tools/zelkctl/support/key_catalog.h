// Every configuration key as one flat list, for the commands that describe all of them
// (template, admx, settings). Made from the library's key tables.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_KEY_CATALOG_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_KEY_CATALOG_H_

#include <string>
#include <vector>

#include "config/settings_table.h"

namespace zelk::tools {

struct CatalogKey {
  std::string section;
  std::string key;
  ValueType type;
  KeyKind kind;
  std::string default_text;  // strings: the built-in default; booleans: TRUE or FALSE
  std::string meaning;
  bool security_relevant;
  std::vector<int> command_ids;  // menu keys: the ids CheckCommand answers from it
  std::string where;             // "record offset N", "kept by the library" or "read when used"
  int record_offset;             // where the host finds it in its record, or -1
  int menu_slot;                 // menu flags: the index into HostSettingsBlock::menu_flags
};

// Sections in the order the loader reads them (the order of first use in the key tables),
// each key once, in table order.
std::vector<CatalogKey> AllKeys();

// The section names in order, each once.
std::vector<std::string> AllSections();

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_KEY_CATALOG_H_
