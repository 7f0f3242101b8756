// Fills the host's settings record from the configuration.
#ifndef ZELK_CONFIG_SETTINGS_LOADER_H_
#define ZELK_CONFIG_SETTINGS_LOADER_H_

#include "config/config_source.h"
#include "zelk/zelk.h"

namespace zelk {

// Reads every loaded key in table order and stores each value right after its read: text
// fields in the host's code page, flags as 0 or 1, four values into `source`. The record
// is not cleared first, so bytes after a text's terminator keep what the caller left, and
// the unkeyed menu slot is never written. Ends by copying the record into the settings
// copy of `source` and marking the settings loaded. LocateConfiguration must have run.
void LoadSettings(ConfigSource& source, HostSettingsBlock* record);

// The first-use load of the command and address checks: when no load has happened yet,
// looks up zelk.ini (a missing file is reported there) and loads into a scratch record,
// only to fill `source`.
void EnsureSettingsLoaded(ConfigSource& source);

// Stores `text` in a text field of `field_size` bytes in the host's code page. A text that
// does not fit is cut at the last whole character that leaves room for the terminator.
void StoreTextField(std::u16string_view text, char* field, size_t field_size);

}  // namespace zelk

#endif  // ZELK_CONFIG_SETTINGS_LOADER_H_
