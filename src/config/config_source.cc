#include "config/config_source.h"

#include <cstring>

namespace zelk {

ConfigSource::ConfigSource() {
  // The settings copy is read only after the first load; until then it is all zero.
  std::memset(&settings_copy, 0, sizeof(settings_copy));
}

}  // namespace zelk
