#include "tools/zelkctl/support/blank_text.h"

namespace zelk::tools {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimBlank(std::string_view text) {
  return TrimEnds(text, IsBlank);
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) {
      ++i;
    }
    const size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) {
      ++i;
    }
    if (i > start) {
      words.push_back(text.substr(start, i - start));
    }
  }
  return words;
}

}  // namespace zelk::tools
