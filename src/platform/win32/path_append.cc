// PathAppendW, guarded so that the 260-character buffer it needs is never overrun.
#include <windows.h>

#include <shlwapi.h>  // after windows.h, which it needs

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {

bool AppendPath(std::u16string* path, std::u16string_view more) {
  // PathAppendW drops the backslashes that begin `more` and puts one between the two;
  // its result is never longer than that join. Refuse what might not fit before it sees it.
  while (!more.empty() && more.front() == u'\\') {
    more.remove_prefix(1);
  }
  const bool separator = !path->empty() && path->back() != u'\\' && !more.empty();
  if (path->size() + (separator ? 1 : 0) + more.size() >= kMaxPath) {
    return false;
  }
  wchar_t buffer[MAX_PATH] = {};
  path->copy(reinterpret_cast<char16_t*>(buffer), path->size());
  if (!PathAppendW(buffer, win32::WideText(more).c_str())) {
    return false;
  }
  buffer[MAX_PATH - 1] = L'\0';
  *path = win32::FromWide(buffer);
  return true;
}

}  // namespace zelk::platform
