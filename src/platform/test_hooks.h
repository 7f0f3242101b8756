// What the test hooks of platform.h have set, and the backends' services behind the two
// hooked functions. Not for other callers.
#ifndef ZELK_PLATFORM_TEST_HOOKS_H_
#define ZELK_PLATFORM_TEST_HOOKS_H_

#include <string>

#include "platform/platform.h"

namespace zelk::platform::internal {

// The path set by SetHostExecutablePathForTesting; empty while none is set.
const std::u16string& HostExecutablePathOverride();

// The sink set by SetMessageBoxSinkForTesting; empty while none is set.
const MessageBoxSink& MessageBoxSinkOverride();

// The backend's own services behind HostExecutablePath and ShowMessageBox, which first
// look at the test hooks. They may throw; the public functions catch.
std::u16string SystemHostExecutablePath();
void ShowSystemMessageBox(std::u16string_view caption,
                          std::u16string_view text,
                          MessageBoxIcon icon);

}  // namespace zelk::platform::internal

#endif  // ZELK_PLATFORM_TEST_HOOKS_H_
