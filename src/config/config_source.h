// The library's one state object, alive from load to unload.
#ifndef ZELK_CONFIG_CONFIG_SOURCE_H_
#define ZELK_CONFIG_CONFIG_SOURCE_H_

#include <memory>
#include <string>

#include "zelk/zelk.h"

namespace zelk {

class CompiledFilterList;
// Frees a compiled list; defined beside it, so that this header needs only its name.
struct CompiledFilterListDeleter {
  void operator()(const CompiledFilterList* list) const;
};
using CompiledFilterListPtr = std::unique_ptr<const CompiledFilterList, CompiledFilterListDeleter>;

// Everything the library keeps between calls. Created empty (nothing is read at load),
// shared by all exports without locks: the host calls one export at a time.
struct ConfigSource {
  ConfigSource();

  int settings_loaded = 0;              // set by LoadSettings at its end; never cleared
  int filter_list_loaded = 0;           // set by LoadFilterList once the list may be used
  int show_command_id = 0;              // Browser/ShowCommandId, as last loaded
  int clean_profile_extensions = 0;     // Browser/CleanProfileExtensions; 0 until loaded
  std::u16string filter_file_path;      // Files/CheckURLFile, as read
  std::u16string denied_page_template;  // Files/DeniedURLHTML, as read
  HostSettingsBlock settings_copy;      // the record of the last load; all zero before it
  std::u16string ini_path;              // zelk.ini as recorded by the last lookup
  // The filter file's lines, read and compiled once; null until then, and when nothing was
  // read (checking off, or no file named).
  CompiledFilterListPtr filter_list;
};

}  // namespace zelk

#endif  // ZELK_CONFIG_CONFIG_SOURCE_H_
