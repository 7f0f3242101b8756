// zelkctl denied-page: the page the browser would show in place of an address, built from
// the configured template, for previewing a template.
#include <cstdio>
#include <string>

#include "common/text.h"
#include "config/config_source.h"
#include "config/settings_loader.h"
#include "platform/platform.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "urlfilter/denied_page.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_check_input.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

void Note(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
}

// The word of the rule that refuses the address, or empty; says on standard error why.
std::u16string DeniedWord(ConfigSource& source, const std::u16string& address) {
  if (LoadFilterList(source) == 0) {
    Note(
        "note: the filter file could not be loaded, so the browser would show About:Blank; "
        "the page below has an empty word");
    return u"";
  }
  const UrlDecision decision = DecideUrl(UrlCheckInputFor(source, address));
  const std::string why = DescribeDecision(decision, source.filter_patterns);
  if (decision.allow) {
    Note("note: the address is allowed: " + why +
         "; the browser would not show this page, so it is shown here with an empty word");
    return u"";
  }
  Note("note: refused: " + why);
  return decision.denied_word;
}

int RunDeniedPage(Invocation& invocation) {
  if (invocation.args.size() != 1 || invocation.json) {
    std::fprintf(stderr, "zelkctl denied-page: give one address (zelkctl denied-page --help)\n");
    return kExitUsage;
  }
  ConfigSource source;
  EnsureSettingsLoaded(source);
  const std::u16string address = FromUtf8(invocation.args[0]);
  const std::u16string word = DeniedWord(source, address);
  // The page reaches the browser in its narrow code page; show what survives the trip.
  const std::u16string page = platform::AnsiToWide(
      platform::WideToAnsi(BuildDeniedPage(source.denied_page_template, address, word)));
  PrintLine(ToUtf8(page));
  return kExitOk;
}

}  // namespace

const Command kDeniedPageCommand = {
    "denied-page", "URL",
    "print the page the browser would show in place of an address, to preview a template",
    RunDeniedPage};

}  // namespace zelk::tools
