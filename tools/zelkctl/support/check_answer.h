// A check of one address: the library's answer through CheckURL, its three outcomes and
// their words, and what decided it, in words.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_CHECK_ANSWER_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_CHECK_ANSWER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zelkctl/support/host_library.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {

enum class CheckAnswer {
  kAllowed,   // the browser loads the address
  kRefused,   // the browser shows the denied page
  kUnloaded,  // allowed, but the filter file could not be loaded: the browser shows another page
};

// "allowed", "refused" or "unloaded".
const char* AnswerWord(CheckAnswer answer);
// The answer a word names; false for any other word.
bool AnswerOfWord(std::string_view word, CheckAnswer* answer);

// What CheckURL's return value and the buffer it left say about `url`: 0 refuses; 1 with
// the address still in the buffer allows; 1 with another text there is the page the
// library shows when it could not load the filter file.
CheckAnswer ClassifyCheckUrl(int returned, std::string_view url, std::string_view buffer);

struct LibraryCheck {
  int returned = 0;  // CheckURL's return value
  CheckAnswer answer = CheckAnswer::kRefused;
  std::string buffer;       // the address, or the page the browser shows in its place
  int64_t nanoseconds = 0;  // the time CheckURL took
};

// Asks the loaded library's CheckURL about `url` (in the host's narrow code page), with
// room in the buffer for a long denied page.
LibraryCheck AskCheckUrl(const HostLibrary& library, const std::string& url);

// The work a check did: "3 rules tried, 120 matching steps".
std::string DescribeWork(const UrlDecision& decision);

// What decided an address, in words that name the deciding line of `list` (the list the
// check decided by) with its text: "line 7 (-casino) refuses it".
std::string DescribeDecision(const UrlDecision& decision, const CompiledFilterList* list);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_CHECK_ANSWER_H_
