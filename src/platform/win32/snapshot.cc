// Windows reads the configuration through the Win32 calls every time: a snapshot holds
// nothing.
#include "platform/platform.h"

namespace zelk::platform {

ConfigurationSnapshot::ConfigurationSnapshot() noexcept = default;

ConfigurationSnapshot::~ConfigurationSnapshot() = default;

}  // namespace zelk::platform
