// Every key with the value the browser gets, the source it comes from and a warning where
// the user's own hive overrides a locked-down value: the rows of `zelkctl settings` and of
// the report.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_SETTING_ROWS_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_SETTING_ROWS_H_

#include <string>
#include <vector>

#include "config/config_source.h"
#include "tools/zelkctl/support/key_catalog.h"
#include "zelk/zelk.h"

namespace zelk::tools {

struct SettingRow {
  CatalogKey key;
  std::string value;                // UTF-8; TRUE or FALSE for a boolean
  std::string source;               // default, zelk.ini, HKLM or HKCU
  std::string warning;              // empty when there is nothing to warn about
  std::vector<std::string> doctor;  // the kinds of doctor's findings about the key, when asked
};

// One row per key of the catalogue, read through the library's readers; keys the host
// finds in its record show the record's value, as the host reads it. The caller holds a
// platform::ConfigurationSnapshot when every row should come from one reading of the files.
std::vector<SettingRow> ReadSettingRows(const ConfigSource& source,
                                        const HostSettingsBlock& record);

// A text field of the host's record (in the host's code page) as UTF-8.
std::string RecordText(const char* field, size_t size);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_SETTING_ROWS_H_
