// The text shown to the user for a system error code.
#ifndef ZELK_MESSAGES_SYSTEM_ERROR_H_
#define ZELK_MESSAGES_SYSTEM_ERROR_H_

#include <cstdint>
#include <string>

namespace zelk {

// The system's text for `code`, or one naming the code when the system has none.
std::u16string SystemErrorDescription(uint32_t code);

}  // namespace zelk

#endif  // ZELK_MESSAGES_SYSTEM_ERROR_H_
