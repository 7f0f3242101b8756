// Relaunch of the browser when it closes.
#ifndef ZELK_HOST_RESTART_H_
#define ZELK_HOST_RESTART_H_

#include <string_view>

#include "config/config_source.h"

namespace zelk {

// The message shown when the new browser process cannot be started.
inline constexpr std::u16string_view kRestartFailedText =
    u"ERROR: Failed to create new QXB process.";

// End's body, read through the configuration path recorded last. Returns 0 when
// RestartOnClose is off. Otherwise starts Files/CommandLine as it stands and returns 1,
// also when the process could not be started, after telling the user so.
int RestartBrowser(const ConfigSource& source);

}  // namespace zelk

#endif  // ZELK_HOST_RESTART_H_
