// The library's UTF-16 text as the zero-terminated wchar_t strings of the Win32 calls.
// wchar_t is 16 bits on Windows, so the conversion is a pointer cast at this seam only.
#ifndef ZELK_PLATFORM_WIN32_WIDE_PATH_H_
#define ZELK_PLATFORM_WIN32_WIDE_PATH_H_

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace zelk::platform::win32 {

// A zero-terminated copy of `text` for a Win32 call.
class WidePath {
 public:
  explicit WidePath(std::u16string_view text) : text_(text) {}
  const wchar_t* get() const { return reinterpret_cast<const wchar_t*>(text_.c_str()); }

 private:
  std::u16string text_;
};

inline std::u16string FromWide(const wchar_t* text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

}  // namespace zelk::platform::win32

#endif  // ZELK_PLATFORM_WIN32_WIDE_PATH_H_
