// Writing JSON by hand: the few pieces zelkctl's --json output needs.
#ifndef ZELK_TOOLS_ZELKCTL_JSON_TEXT_H_
#define ZELK_TOOLS_ZELKCTL_JSON_TEXT_H_

#include <string>
#include <string_view>

namespace zelk::tools {

// A JSON string holding the UTF-8 `text`: quotes, backslashes and control characters
// escaped, every other byte as it is.
std::string JsonQuoted(std::string_view text);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_JSON_TEXT_H_
