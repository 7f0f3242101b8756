#include "host/text_exports.h"

#include "config/settings_table.h"
#include "platform/platform.h"

namespace zelk {

const char16_t* HostText(const ZelkWideChar* text) {
  return reinterpret_cast<const char16_t*>(text);
}

char16_t* HostBuffer(ZelkWideChar* buffer) {
  return reinterpret_cast<char16_t*>(buffer);
}

bool CopyToHostBuffer(std::u16string_view text, char16_t* buffer, int count) {
  if (buffer == nullptr || count < 1) {
    return false;
  }
  if (text.size() >= static_cast<size_t>(count)) {
    buffer[0] = u'\0';
    return false;
  }
  text.copy(buffer, text.size());
  buffer[text.size()] = u'\0';
  return true;
}

int ShowOverride(const char16_t* text) {
  // The box gets a copy: the host's string is not touched after this line.
  const std::u16string copy = text != nullptr ? std::u16string(text) : std::u16string();
  platform::ShowMessageBox(u"test", copy, platform::MessageBoxIcon::kNone);
  return 1;
}

std::u16string BookmarkBarTextForHost(const ConfigSource& source) {
  return ReadStringSetting(source, Setting::kBookmarkBarText);
}

}  // namespace zelk
