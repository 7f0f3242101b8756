#include "tools/zelkctl/support/address_file.h"

#include <algorithm>

#include "tools/zelkctl/support/blank_text.h"
#include "tools/zelkctl/support/input_file.h"

namespace zelk::tools {

std::string WithoutTabs(std::string_view text) {
  std::string clean;
  for (char c : text) {
    if (c == '\t') {
      clean += "%09";
    } else {
      clean.push_back(c);
    }
  }
  return clean;
}

std::string AddressOfLine(std::string_view line) {
  const std::string_view text = TrimBlank(line);
  if (text.empty() || text[0] == '#') {
    return "";
  }
  const std::vector<std::string_view> words = Words(text);
  if (words.size() > 1) {
    for (std::string_view word : words) {
      if (word.find("://") != std::string_view::npos) {
        return std::string(word);
      }
    }
  }
  return WithoutTabs(text);
}

bool ReadAddressFile(const std::string& path,
                     std::vector<std::string>* urls,
                     AddressFileLimits limits) {
  std::string text;
  if (!ReadInputFile(path, limits.bytes, &text)) {
    return false;
  }
  std::string_view rest = text;
  while (!rest.empty() && urls->size() < limits.addresses) {
    const size_t end = std::min(rest.find('\n'), rest.size());
    std::string url = AddressOfLine(rest.substr(0, end));
    if (!url.empty()) {
      urls->push_back(std::move(url));
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return true;
}

}  // namespace zelk::tools
