#include "commands/command_check.h"

#include <cstring>
#include <string>

#include "common/application_message.h"
#include "config/command_visibility_table.h"
#include "config/settings_loader.h"

namespace zelk {

int CommandAnswer(const ConfigSource& source, int32_t command_id) {
  const CommandMapping* mapping = FindCommandMapping(command_id);
  if (mapping == nullptr) {
    return 1;
  }
  int32_t flag = 0;
  std::memcpy(&flag,
              reinterpret_cast<const unsigned char*>(&source.settings_copy) + mapping->slot_offset,
              sizeof(flag));
  return flag != 0 ? 1 : 0;
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
