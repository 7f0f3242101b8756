#include "tools/zelkctl/import/host_grammar.h"

#include <string_view>

namespace zelk::tools {

const std::vector<std::string> kWebSchemes = {"http", "https"};

namespace {

constexpr std::string_view kAnyScheme = "[a-z][a-z0-9+.\\-]*";
constexpr std::string_view kUserInfo = "([^/?#\\\\]*@)?";
constexpr std::string_view kSubdomains = "([a-z0-9_\\-]+\\.)*";
constexpr std::string_view kSubdomainsOnly = "([a-z0-9_\\-]+\\.)+";
constexpr std::string_view kAnyPort = "(:[0-9]+)?";
// "$" means the end only as a pattern's last character, so the negation of a class says
// "the host ends here" wherever the pattern goes on.
constexpr std::string_view kHostEnd = "![^/?#]";

// The schemes as one term. "|" binds single terms, so each name is a group of its own.
std::string SchemeTerm(const std::vector<std::string>& schemes) {
  if (schemes.empty()) {
    return std::string(kAnyScheme);
  }
  if (schemes == kWebSchemes) {
    return "https?";
  }
  if (schemes.size() == 1) {
    return EscapeLiteral(schemes[0]);
  }
  std::string term = "(";
  for (size_t i = 0; i < schemes.size(); ++i) {
    term += (i == 0 ? "(" : "|(") + EscapeLiteral(schemes[i]) + ")";
  }
  return term + ")";
}

// The one scheme whose default port `port` is, when the rule names several; else none.
const std::string* SchemeOfDefaultPort(const std::vector<std::string>& schemes,
                                       const std::string& port) {
  for (const std::string& scheme : schemes) {
    if (!port.empty() && DefaultPort(scheme) == port) {
      return &scheme;
    }
  }
  return nullptr;
}

std::string NamesTerm(HostRuleSpec::Names names) {
  switch (names) {
    case HostRuleSpec::Names::kExact:
      return "";
    case HostRuleSpec::Names::kWithSubdomains:
      return std::string(kSubdomains);
    case HostRuleSpec::Names::kSubdomainsOnly:
      return std::string(kSubdomainsOnly);
  }
  return "";
}

}  // namespace

std::string BuildHostPattern(const HostRuleSpec& host_rule) {
  std::vector<std::string> schemes = host_rule.schemes;
  const std::string* implied = SchemeOfDefaultPort(schemes, host_rule.port);
  if (implied != nullptr) {
    schemes = {*implied};
  }
  std::string pattern = "^" + SchemeTerm(schemes) + "://" + std::string(kUserInfo) +
                        NamesTerm(host_rule.names) + EscapeLiteral(host_rule.host.ascii);
  if (!host_rule.host.is_address) {
    pattern += "\\.?";  // "example.com." names the same host
  }
  if (host_rule.port.empty()) {
    pattern += kAnyPort;
  } else {
    pattern += implied != nullptr ? "(:" + host_rule.port + ")?" : ":" + host_rule.port;
  }
  if (host_rule.has_tail) {
    return pattern + host_rule.tail;
  }
  return pattern + (host_rule.path.empty() ? std::string(kHostEnd) : EscapeLiteral(host_rule.path));
}

}  // namespace zelk::tools
