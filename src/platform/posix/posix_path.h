// Path and error translation shared by the files of the Linux backend.
#ifndef ZELK_PLATFORM_POSIX_POSIX_PATH_H_
#define ZELK_PLATFORM_POSIX_POSIX_PATH_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk::platform::posix {

// `path` resolved by its text, as Windows resolves a path before any file system sees it:
// "\" and "/" both separate and a run of them counts as one; "." components go; ".."
// removes the component before it, whether that exists or not (never above the root; a
// relative path keeps the ".." it starts with); every component loses one trailing dot
// and the last one all its trailing dots and spaces. The result uses "\"; it keeps a
// leading separator and a trailing one.
std::u16string ResolvePathText(std::u16string_view path);

// A library path (backslashes, UTF-16) as the OS takes it: resolved as above, then UTF-8
// with "/" separators. U+F05C, U+F02E, U+F020 and the unpaired surrogates U+DC80 to
// U+DCFF turn back into the bytes that FromNativePath made them from.
std::string ToNativePath(std::u16string_view path);

// A path or name from the OS in the library's form: UTF-16 with "\" separators. A
// backslash inside a name becomes U+F05C, a byte that is not part of UTF-8 U+DC00 plus
// the byte, and the trailing dots and spaces of a name U+F02E and U+F020, so that
// ToNativePath gives back the very same bytes and a listed name never reads as more than
// one path component, nor as another name.
std::u16string FromNativePath(std::string_view path);

// The Win32 error code that Windows gives for the failure errno describes (ENOENT is 2;
// callers that must tell 2 from 3 check the parent folder themselves).
uint32_t Win32ErrorFromErrno(int error);

}  // namespace zelk::platform::posix

#endif  // ZELK_PLATFORM_POSIX_POSIX_PATH_H_
