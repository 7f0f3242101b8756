// The one way the library reports an error to the user outside profile preparation.
#ifndef ZELK_MESSAGES_APPLICATION_MESSAGE_H_
#define ZELK_MESSAGES_APPLICATION_MESSAGE_H_

#include <string_view>

namespace zelk {

// A modal box with no owner window, an OK button and the exclamation icon, captioned with
// the full path of the host's executable. Returns once the user has closed it.
void ShowApplicationMessage(std::u16string_view text);

}  // namespace zelk

#endif  // ZELK_MESSAGES_APPLICATION_MESSAGE_H_
