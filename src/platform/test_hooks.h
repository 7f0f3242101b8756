// What the test hooks of platform.h have set, for the two backends. Not for other callers.
#ifndef ZELK_PLATFORM_TEST_HOOKS_H_
#define ZELK_PLATFORM_TEST_HOOKS_H_

#include <string>

#include "platform/platform.h"

namespace zelk::platform::internal {

// The path set by SetHostExecutablePathForTesting; empty while none is set.
const std::u16string& HostExecutablePathOverride();

// The sink set by SetMessageBoxSinkForTesting; empty while none is set.
const MessageBoxSink& MessageBoxSinkOverride();

}  // namespace zelk::platform::internal

#endif  // ZELK_PLATFORM_TEST_HOOKS_H_
