// Decides whether a browser command may run.
#ifndef ZELK_COMMANDS_COMMAND_CHECK_H_
#define ZELK_COMMANDS_COMMAND_CHECK_H_

#include <cstdint>

#include "config/config_source.h"

namespace zelk {

// Loads the settings on first use (into a scratch record), shows the id when ShowCommandId
// is on, then answers from the settings copy: the slot of a mapped id, 1 for any other id.
int CheckCommandId(ConfigSource& source, int32_t command_id);

// The answer alone, from the settings copy as it stands: no loading, no message.
int CommandAnswer(const ConfigSource& source, int32_t command_id);

}  // namespace zelk

#endif  // ZELK_COMMANDS_COMMAND_CHECK_H_
