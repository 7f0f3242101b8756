#include "messages/system_error.h"

#include "common/text.h"
#include "platform/platform.h"

namespace zelk {

std::u16string SystemErrorDescription(uint32_t code) {
  std::u16string text = platform::SystemErrorText(code);
  return text.empty() ? UnknownErrorText(code) : text;
}

}  // namespace zelk
