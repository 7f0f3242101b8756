// zelkctl denied-page: the page the browser would show in place of an address, as the
// loaded library's CheckURL hands it back, for previewing a template.
#include <cstdio>
#include <string>

#include "common/text.h"
#include "config/config_source.h"
#include "platform/platform.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/support/check_answer.h"
#include "tools/zelkctl/support/own_configuration.h"
#include "urlfilter/denied_page.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_check_input.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

void Note(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
}

// What decided the address, worked out in this process from the settings and filter file
// the library loaded.
std::string Deciding(ConfigSource& source, const std::u16string& address) {
  ReadOwnConfiguration(source);
  LoadFilterList(source);
  return DescribeDecision(DecideUrl(UrlCheckInputFor(source, address)), FilterListOf(source));
}

// The page for the library's answer, in the host's narrow code page, with a note on
// standard error that says why it is this page.
std::string PageFor(const LibraryCheck& check, const std::u16string& address) {
  ConfigSource source;
  switch (check.answer) {
    case CheckAnswer::kUnloaded:
      Note("note: the filter file could not be loaded, so the browser would show this page");
      return check.buffer;
    case CheckAnswer::kRefused:
      Note("note: refused: " + Deciding(source, address));
      return check.buffer;
    case CheckAnswer::kAllowed:
      break;
  }
  // An allowed address has no page: the browser loads it. To preview the template anyway,
  // it is filled here as the library would fill it, with an empty word.
  Note("note: the address is allowed: " + Deciding(source, address) +
       "; the browser would not show this page, so it is shown here with an empty word");
  return platform::WideToAnsi(BuildDeniedPage(source.denied_page_template, address, u""));
}

int RunDeniedPage(Invocation& invocation) {
  if (invocation.args.size() != 1 || invocation.json) {
    std::fprintf(stderr, "zelkctl denied-page: give one address (zelkctl denied-page --help)\n");
    return kExitUsage;
  }
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  const std::u16string address = FromUtf8(invocation.args[0]);
  const LibraryCheck check = AskCheckUrl(invocation.library, platform::WideToAnsi(address));
  // The page reaches the browser in its narrow code page; show what survives the trip.
  PrintLine(ToUtf8(platform::AnsiToWide(PageFor(check, address))));
  return kExitOk;
}

}  // namespace

const Command kDeniedPageCommand = {
    "denied-page", "URL",
    "print the page the browser would show in place of an address, to preview a template",
    RunDeniedPage};

}  // namespace zelk::tools
