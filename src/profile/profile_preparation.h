// Seeding of the browser's default profile folder at start: the administrator's default
// Preferences and Bookmarks files and the Extensions folder beside the host's executable.
#ifndef ZELK_PROFILE_PROFILE_PREPARATION_H_
#define ZELK_PROFILE_PROFILE_PREPARATION_H_

#include <cstdint>
#include <string>

#include "config/config_source.h"

namespace zelk {

// The steps of Start after the configuration lookup found zelk.ini: the Preferences copy,
// the Bookmarks copy and the extensions copy, in that order, each only when configured.
// Returns the result of the last step that ran (1 success, 0 failure), or 0 when none
// ran. Without ForceDefaults an existing Preferences or Bookmarks file is kept and that
// step gives 0. Any other failed Preferences copy shows an error box and ends the process
// with the error code as its exit code: the browser must not run on a profile without its
// preferences.
int PrepareProfile(const ConfigSource& source);

// The text of the error box of a failed Preferences copy with Win32 error `code`.
std::u16string PreferencesCopyFailureText(uint32_t code);

}  // namespace zelk

#endif  // ZELK_PROFILE_PROFILE_PREPARATION_H_
