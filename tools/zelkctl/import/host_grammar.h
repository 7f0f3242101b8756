// What "this site" means in a filter rule: the one grammar from which every rule that is
// anchored to a host is built, whether it comes from an imported list or from lint's
// advice. Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_IMPORT_HOST_GRAMMAR_H_
#define ZELK_TOOLS_ZELKCTL_IMPORT_HOST_GRAMMAR_H_

#include <string>
#include <vector>

#include "tools/zelkctl/import/host_pattern.h"

namespace zelk::tools {

// The schemes of the web. An allow rule for a site admits these and no other: a site
// allowed for every scheme would also let through javascript: addresses, which run script
// in the page shown, and file: addresses, which open a share on another machine.
extern const std::vector<std::string> kWebSchemes;

// A site: the schemes, a host (with or without the names under it), a port and a path.
struct HostRuleSpec {
  std::vector<std::string> schemes;  // lower case; empty: every scheme
  HostName host;
  enum class Names { kExact, kWithSubdomains, kSubdomainsOnly } names = Names::kExact;
  std::string port;  // decimal digits; empty: any port
  std::string path;  // the path prefix as written (from "/"); empty: any path
  // Pattern text put after the host and its port instead of a path or the end of the host.
  // Used for ad-block rules and lint's advice, whose rest is already in pattern form.
  std::string tail;
  bool has_tail = false;
};

// The anchored pattern for the site:
//   "^" SCHEMES "://" [user-info "@"] [names "."] HOST ["."] [":" PORT] then PATH, TAIL
//   or the end of the host ("/", "?", "#" or the end of the address).
// The user-info holds no "/", "?", "#" or "\", so the host after it is the address's real
// host; a final dot names the same host; names under a host are labels of letters, digits,
// "-" and "_". A port that is the default of one of the schemes may also be left out of
// the address, and then admits only that scheme. No query string, user name or longer
// host name satisfies the pattern.
std::string BuildHostPattern(const HostRuleSpec& host_rule);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_IMPORT_HOST_GRAMMAR_H_
