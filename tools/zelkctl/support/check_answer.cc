#include "tools/zelkctl/support/check_answer.h"

#include <chrono>
#include <cstring>
#include <iterator>

#include "tools/zelkctl/lint/pattern_analysis.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_line.h"

namespace zelk::tools {
namespace {

// Room beyond the address for the denied page the library may write in its place.
constexpr size_t kPageRoom = size_t{64} * 1024;

constexpr const char* kAnswerWords[] = {"allowed", "refused", "unloaded"};

// "line 7 (-casino)": the line of the filter file, with its rule as written, read from the
// list the check decided by.
std::string RuleOfLine(const CompiledFilterList* list, size_t index) {
  const std::string line = "line " + std::to_string(index + 1);
  if (list == nullptr) {
    return line;
  }
  const FilterLine read = ReadFilterLine(list->Line(index));
  const std::u16string rule = read.mark != 0 ? read.mark + read.text : std::u16string();
  return line + " (" + DisplayText(rule) + ")";
}

}  // namespace

const char* AnswerWord(CheckAnswer answer) {
  return kAnswerWords[static_cast<size_t>(answer)];
}

bool AnswerOfWord(std::string_view word, CheckAnswer* answer) {
  for (size_t i = 0; i < std::size(kAnswerWords); ++i) {
    if (word == kAnswerWords[i]) {
      *answer = static_cast<CheckAnswer>(i);
      return true;
    }
  }
  return false;
}

CheckAnswer ClassifyCheckUrl(int returned, std::string_view url, std::string_view buffer) {
  if (returned != 1) {
    return CheckAnswer::kRefused;
  }
  return buffer == url ? CheckAnswer::kAllowed : CheckAnswer::kUnloaded;
}

LibraryCheck AskCheckUrl(const HostLibrary& library, const std::string& url) {
  std::vector<char> buffer(url.size() + kPageRoom, '\0');
  std::memcpy(buffer.data(), url.data(), url.size());
  LibraryCheck check;
  const auto start = std::chrono::steady_clock::now();
  check.returned = library.CheckURL(buffer.data(), static_cast<int>(buffer.size()), "");
  const auto took = std::chrono::steady_clock::now() - start;
  check.nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
  check.buffer = std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
  check.answer = ClassifyCheckUrl(check.returned, url, check.buffer);
  return check;
}

std::string DescribeWork(const UrlDecision& decision) {
  return std::to_string(decision.rules_tried) +
         (decision.rules_tried == 1 ? " rule tried, " : " rules tried, ") +
         std::to_string(decision.steps) + " matching steps";
}

std::string DescribeDecision(const UrlDecision& decision, const CompiledFilterList* list) {
  const std::string verb = decision.allow ? "allows it" : "refuses it";
  switch (decision.reason) {
    case DecisionReason::kRuleMatched:
      return RuleOfLine(list, decision.line_index) + " " + verb;
    case DecisionReason::kCompileError:
      return RuleOfLine(list, decision.line_index) + " does not compile (" +
             PatternErrorName(decision.error) + "), which refuses it";
    case DecisionReason::kBudgetExhausted:
      return "matching ran out of its budget at " + RuleOfLine(list, decision.line_index) +
             ", which refuses it";
    case DecisionReason::kDefaultRule:
      return decision.default_rule_seen
                 ? "no pattern matches it and the default rule on " +
                       RuleOfLine(list, decision.default_line_index) + " " + verb
                 : "no pattern matches it, and without a default rule it is refused";
    case DecisionReason::kNoFilterFile:
      return "no filter file is configured (Files/CheckURLFile), which allows it";
    case DecisionReason::kCheckingOff:
      return "address checking is off (Browser/CheckURLAccess), which allows it";
  }
  return verb;
}

}  // namespace zelk::tools
