// Reading UTF-8 an administrator wrote, one strict decoder for every command.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_UTF8_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace zelk::tools {

// The length of the well-formed UTF-8 sequence at `at` (its code point in `*code`), or 0
// for bytes that are not one: a stray continuation byte, a cut sequence, an overlong form,
// a surrogate or a value past U+10FFFF. `at` must be inside `text`.
size_t Utf8SequenceAt(std::string_view text, size_t at, char32_t* code);

// The code points of UTF-8 text; false (and `code_points` unspecified) when it is not
// well-formed.
bool DecodeUtf8(std::string_view text, std::u32string* code_points);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_UTF8_H_
