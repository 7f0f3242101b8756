#include "commands/command_check.h"

#include <string>

#include "config/command_visibility_table.h"
#include "config/settings_loader.h"
#include "messages/application_message.h"

namespace zelk {

int CommandAnswer(const ConfigSource& source, int32_t command_id) {
  const CommandMapping* mapping = FindCommandMapping(command_id);
  if (mapping == nullptr) {
    return 1;
  }
  return source.settings_copy.menu_flags[mapping->slot] != 0 ? 1 : 0;
}

int CheckCommandId(ConfigSource& source, int32_t command_id) {
  EnsureSettingsLoaded(source);
  if (source.show_command_id == 1) {
    const std::string number = std::to_string(command_id);
    ShowApplicationMessage(u"COMMAND ID: " + std::u16string(number.begin(), number.end()));
  }
  return CommandAnswer(source, command_id);
}

}  // namespace zelk
