#include "platform/posix/posix_path.h"

#include "common/text.h"

namespace zelk::platform::posix {

std::string ToNativePath(std::u16string_view path) {
  std::string native = ToUtf8(path);
  for (char& c : native) {
    if (c == '\\') {
      c = '/';
    }
  }
  return native;
}

std::u16string FromNativePath(std::string_view path) {
  std::u16string text = FromUtf8(path);
  for (char16_t& c : text) {
    if (c == u'/') {
      c = u'\\';
    }
  }
  return text;
}

}  // namespace zelk::platform::posix
