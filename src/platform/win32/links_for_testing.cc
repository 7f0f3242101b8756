#include "platform/links_for_testing.h"

#include <windows.h>

#include "platform/win32/wide_path.h"

namespace zelk::platform {

uint32_t CreateSymbolicLinkForTesting(std::u16string_view link,
                                      std::u16string_view target,
                                      bool folder) {
  // Without the privilege, developer mode allows the link with this flag.
  constexpr DWORD kAllowUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | kAllowUnprivileged;
  if (CreateSymbolicLinkW(win32::WidePath(link).get(), win32::WidePath(target).get(), flags)) {
    return 0;
  }
  return GetLastError();
}

}  // namespace zelk::platform
