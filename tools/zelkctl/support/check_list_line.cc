#include "tools/zelkctl/support/check_list_line.h"

#include "tools/zelkctl/support/address_file.h"

namespace zelk::tools {

std::string FormatCheckListLine(const CheckListLine& line) {
  return std::string(AnswerWord(line.answer)) + "\t" + std::to_string(line.nanoseconds) + "\t" +
         WithoutTabs(line.why) + "\t" + line.url;
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
  const std::string time(text.substr(fields[0] + 1, fields[1] - fields[0] - 1));
  if (time.empty() || time.find_first_not_of("0123456789") != std::string::npos ||
      time.size() > 18) {
    return false;
  }
  line->nanoseconds = std::stoll(time);
  line->why = std::string(text.substr(fields[1] + 1, fields[2] - fields[1] - 1));
  line->url = std::string(text.substr(fields[2] + 1));
  return AnswerOfWord(text.substr(0, fields[0]), &line->answer);
}

}  // namespace zelk::tools
