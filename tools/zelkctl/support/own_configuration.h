// zelkctl's own reading of the configuration, beside the library it loaded.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_OWN_CONFIGURATION_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_OWN_CONFIGURATION_H_

#include "config/config_source.h"

namespace zelk::tools {

// Fills `source` as the library's first load does (zelk.ini beside the host, then every
// key), and returns 1 when zelk.ini exists. Shows no message for a missing zelk.ini: the
// library zelkctl loaded tells the administrator itself, and a second reading in this
// process must not tell it again (on Windows each telling is a box that waits for a click).
int ReadOwnConfiguration(ConfigSource& source);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_OWN_CONFIGURATION_H_
