#include "platform/links_for_testing.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace zelk::platform {

uint32_t CreateSymbolicLinkForTesting(std::u16string_view link,
                                      std::u16string_view target,
                                      bool folder) {
  // Without the privilege, developer mode allows the link with this flag.
  constexpr DWORD kAllowUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | kAllowUnprivileged;
  const std::wstring link_path = win32::WideText(link);
  if (!CreateSymbolicLinkW(link_path.c_str(), win32::WideText(target).c_str(), flags)) {
    return GetLastError();
  }
  // Some implementations report success and make nothing: only a link that is there counts.
  const DWORD attributes = GetFileAttributesW(link_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return ERROR_NOT_SUPPORTED;
  }
  return 0;
}

}  // namespace zelk::platform
