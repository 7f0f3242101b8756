#include "tools/zelkctl/check_list.h"

#include <fstream>

#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/list_import.h"

namespace zelk::tools {
namespace {

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

}  // namespace

std::string AddressOfLine(std::string_view line) {
  const std::string_view text = list_import::TrimBlank(line);
  if (text.empty() || text[0] == '#') {
    return "";
  }
  const std::vector<std::string_view> words = list_import::Words(text);
  if (words.size() > 1) {
    for (std::string_view word : words) {
      if (word.find("://") != std::string_view::npos) {
        return std::string(word);
      }
    }
  }
  return WithoutTabs(text);
}

bool ReadAddressFile(const std::string& path, std::vector<std::string>* urls) {
  std::ifstream in;
  if (!OpenInputFile(path, &in)) {
    return false;
  }
  for (std::string line; std::getline(in, line);) {
    std::string url = AddressOfLine(line);
    if (!url.empty()) {
      urls->push_back(std::move(url));
    }
  }
  return !in.bad();
}

std::string FormatCheckListLine(const CheckListLine& line) {
  return line.answer + "\t" + std::to_string(line.nanoseconds) + "\t" + WithoutTabs(line.why) +
         "\t" + line.url;
}

bool ParseCheckListLine(std::string_view text, CheckListLine* line) {
  size_t fields[3];
  size_t from = 0;
  for (size_t& at : fields) {
    at = text.find('\t', from);
    if (at == std::string_view::npos) {
      return false;
    }
    from = at + 1;
  }
  line->answer = std::string(text.substr(0, fields[0]));
  const std::string time(text.substr(fields[0] + 1, fields[1] - fields[0] - 1));
  if (time.empty() || time.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  line->nanoseconds = std::stoll(time);
  line->why = std::string(text.substr(fields[1] + 1, fields[2] - fields[1] - 1));
  line->url = std::string(text.substr(fields[2] + 1));
  return line->answer == "allowed" || line->answer == "refused" || line->answer == "unloaded";
}

}  // namespace zelk::tools
