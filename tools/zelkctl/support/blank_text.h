// Trimming and word splitting of administrators' text: list entries, address-file lines,
// settings values.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_BLANK_TEXT_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_BLANK_TEXT_H_

#include <string_view>
#include <vector>

namespace zelk::tools {

// The text without the characters `is_trimmed` picks at either end.
template <typename Char, typename Predicate>
std::basic_string_view<Char> TrimEnds(std::basic_string_view<Char> text, Predicate is_trimmed) {
  while (!text.empty() && is_trimmed(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && is_trimmed(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

// ASCII white space: space, tab, CR, LF, vertical tab and form feed.
bool IsBlank(char c);
// The text without the white space around it.
std::string_view TrimBlank(std::string_view text);
// The words of the text, split at white space.
std::vector<std::string_view> Words(std::string_view text);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_BLANK_TEXT_H_
