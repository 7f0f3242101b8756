#include "tools/zelkctl/support/own_configuration.h"

#include <memory>

#include "config/readers.h"
#include "config/settings_loader.h"

namespace zelk::tools {

int ReadOwnConfiguration(ConfigSource& source) {
  const int found = FindConfiguration(source);
  auto scratch = std::make_unique<HostSettingsBlock>();
  LoadSettings(source, scratch.get());
  return found;
}

}  // namespace zelk::tools
