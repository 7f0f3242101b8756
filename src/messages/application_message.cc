#include "messages/application_message.h"

#include "platform/platform.h"

namespace zelk {

void ShowApplicationMessage(std::u16string_view text) {
  platform::ShowMessageBox(platform::HostExecutablePath(), text,
                           platform::MessageBoxIcon::kExclamation);
}

}  // namespace zelk
