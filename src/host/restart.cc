#include "host/restart.h"

#include <string>

#include "config/settings_table.h"
#include "messages/application_message.h"
#include "platform/platform.h"

namespace zelk {

int RestartBrowser(const ConfigSource& source) {
  if (!ReadBoolSetting(source, Setting::kRestartOnClose)) {
    return 0;
  }
  const std::u16string command_line = ReadStringSetting(source, Setting::kCommandLine);
  if (platform::StartProcess(command_line) != platform::kErrorSuccess) {
    ShowApplicationMessage(kRestartFailedText);
  }
  return 1;
}

}  // namespace zelk
