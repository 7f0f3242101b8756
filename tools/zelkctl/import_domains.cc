// Domain lists, one name a line as proxy filters and DNS blockers read them: a name
// stands for itself and every name under it. ".example.com" means the same; "*.example.com"
// only the names under it. "#" starts a comment, as do "!" and ";" at the start of a line.
#include <string>

#include "tools/zelkctl/list_import.h"

namespace zelk::tools {

LineConversion ConvertDomainLine(std::string_view line, bool allow) {
  LineConversion out;
  std::string_view text = list_import::BeforeComment(line, '#');
  if (text.empty() || text[0] == '!' || text[0] == ';') {
    return out;
  }
  const std::vector<std::string_view> words = list_import::Words(text);
  if (words.size() != 1) {
    out.problems.push_back(list_import::Quoted(text) +
                           " is more than one word: a hosts-file line needs --format hosts");
    return out;
  }
  HostRuleSpec host_rule;
  host_rule.names = HostRuleSpec::Names::kWithSubdomains;
  std::string name = list_import::FoldAscii(words[0]);
  if (name.rfind("*.", 0) == 0) {
    host_rule.names = HostRuleSpec::Names::kSubdomainsOnly;
    name.erase(0, 2);
  } else if (name[0] == '.') {
    name.erase(0, 1);
  }
  const char* why_not = nullptr;
  if (name.find('/') != std::string::npos) {
    why_not =
        "is an address, not a domain name: entries with a scheme or path need --format "
        "policy";
  } else if (name.find('*') != std::string::npos) {
    why_not = "has a wildcard inside the name, which a domain list cannot mean";
  } else if (name.find(':') != std::string::npos) {
    why_not = "holds \":\": a port needs --format policy, an IPv6 address a rule by hand";
  }
  if (why_not != nullptr) {
    out.problems.push_back(list_import::Quoted(words[0]) + " " + why_not);
    return out;
  }
  std::string why;
  if (!NormalizeHostName(name, &host_rule.host, &why)) {
    out.problems.push_back(list_import::Quoted(words[0]) + ": " + why);
    return out;
  }
  if (host_rule.host.is_address) {
    if (host_rule.names == HostRuleSpec::Names::kSubdomainsOnly) {
      out.problems.push_back(list_import::Quoted(words[0]) + ": an address has no names under it");
      return out;
    }
    host_rule.names = HostRuleSpec::Names::kExact;
  }
  list_import::AddHostRule(host_rule, allow, &out);
  return out;
}

}  // namespace zelk::tools
