// Allow rules that name a site but let any other site through, or addresses that are no
// web page at all: the host-name and scheme checks of `zelkctl lint`. Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_LINT_HOST_RULE_ADVICE_H_
#define ZELK_TOOLS_ZELKCTL_LINT_HOST_RULE_ADVICE_H_

#include <string>
#include <string_view>
#include <vector>

#include "tools/zelkctl/lint/pattern_analysis.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk::tools {

// The advice for an allow rule that matches a host name without tying it to the address's
// host: addresses of other sites that the rule also allows, and an anchored pattern to use
// instead.
struct HostRuleAdvice {
  bool applies = false;
  std::u16string host;                  // the host name found in the rule, folded
  std::vector<std::u16string> hostile;  // addresses of other sites the rule allows
  std::u16string suggestion;            // empty when no safe form could be made
};

// Finds a host name among the plain characters of the pattern (at its start or after
// "//") and tries the compiled pattern against addresses that put that name where any
// site can: in the query, as the user name, as a subdomain of another site, at the end of
// a longer name. The advice applies when one of them matches. The suggestion is the site
// (the host and the names under it, over http and https) as an imported allow list
// writes it, with the rest of the rule after the host when that rest starts a path; it is
// tried the same way, and against the site itself, before it is offered. Every match runs
// within a small step budget, in `scratch` (a lint of many rules passes one for them all).
HostRuleAdvice AdviseHostRule(const PatternAnalysis& analysis,
                              std::u16string_view pattern,
                              MatchState* scratch);
HostRuleAdvice AdviseHostRule(const PatternAnalysis& analysis, std::u16string_view pattern);

// Addresses of the schemes that are no web page (javascript:, vbscript:, data:, file:,
// view-source:) that the compiled pattern matches, one per scheme: each scheme's name,
// then ":" or "://", then the text of one of the pattern's first plain runs. Empty for a
// pattern that is anchored to its schemes, such as "^https?://...". Each match runs within
// a small step budget, in `scratch`.
std::vector<std::u16string> UnsafeSchemeAddresses(const PatternAnalysis& analysis,
                                                  MatchState* scratch);
std::vector<std::u16string> UnsafeSchemeAddresses(const PatternAnalysis& analysis);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_LINT_HOST_RULE_ADVICE_H_
