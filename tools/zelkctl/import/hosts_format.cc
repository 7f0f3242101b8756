// Hosts files: "ADDRESS NAME..." lines, "#" comments. A name sent to a blocking address
// (0.0.0.0, 127.0.0.1, ::1, ...) is refused; a hosts file names hosts one by one, so the
// rule admits that host alone, not the names under it.
#include <string>

#include "tools/zelkctl/import/list_import.h"

namespace zelk::tools {
namespace {

using list_import::Quoted;

constexpr std::string_view kBlockingAddresses[] = {
    "0.0.0.0", "127.0.0.1", "::", "::1", "0:0:0:0:0:0:0:0", "0:0:0:0:0:0:0:1",
};

// The names every hosts file carries for the machine itself; they are no site.
constexpr std::string_view kLocalNames[] = {
    "localhost",     "localhost.localdomain", "local",        "broadcasthost",
    "ip6-localhost", "ip6-loopback",          "ip6-localnet", "ip6-mcastprefix",
    "ip6-allnodes",  "ip6-allrouters",        "ip6-allhosts", "0.0.0.0",
};

template <size_t N>
bool OneOf(std::string_view word, const std::string_view (&table)[N]) {
  for (std::string_view entry : table) {
    if (word == entry) {
      return true;
    }
  }
  return false;
}

bool IsAddressText(std::string_view word) {
  bool digit = false;
  for (char c : word) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (!hex && c != '.' && c != ':' && c != '%') {
      return false;
    }
    digit = digit || (c >= '0' && c <= '9');
  }
  return digit || word.find(':') != std::string_view::npos;
}

}  // namespace

LineConversion ConvertHostsLine(std::string_view line, bool allow) {
  LineConversion out;
  const std::string text = list_import::FoldAscii(list_import::BeforeComment(line, '#'));
  const std::vector<std::string_view> words = list_import::Words(text);
  if (words.empty()) {
    return out;
  }
  if (!IsAddressText(words[0])) {
    out.problems.push_back(Quoted(words[0]) +
                           " is not an address: a hosts-file line is an address, then names");
    return out;
  }
  if (words.size() == 1) {
    out.problems.push_back("the address " + Quoted(words[0]) + " has no host name after it");
    return out;
  }
  const bool blocking = OneOf(words[0], kBlockingAddresses);
  for (size_t i = 1; i < words.size(); ++i) {
    if (OneOf(words[i], kLocalNames)) {
      ++out.passed_over;
      continue;
    }
    if (!allow && !blocking) {
      out.problems.push_back(Quoted(words[i]) + " is sent to " + std::string(words[0]) +
                             ", not blocked: a filter cannot send a name elsewhere");
      continue;
    }
    HostRuleSpec host_rule;
    std::string why;
    if (!NormalizeHostName(words[i], &host_rule.host, &why)) {
      out.problems.push_back(Quoted(words[i]) + ": " + why);
      continue;
    }
    list_import::AddHostRule(host_rule, allow, &out);
  }
  return out;
}

}  // namespace zelk::tools
