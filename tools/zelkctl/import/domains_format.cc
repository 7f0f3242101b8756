// Domain lists, one name a line as proxy filters and DNS blockers read them: a name
// stands for itself and every name under it. ".example.com" means the same; "*.example.com"
// only the names under it. "#" starts a comment, as do "!" and ";" at the start of a line.
#include <string>

#include "tools/zelkctl/import/list_import.h"

namespace zelk::tools {
namespace {

// Why the name is not one a domain list can mean, or null.
const char* NotADomainName(const std::string& name) {
  if (name.find('/') != std::string::npos) {
    return "is an address, not a domain name: entries with a scheme or path need --format "
           "policy";
  }
  if (name.find('*') != std::string::npos) {
    return "has a wildcard inside the name, which a domain list cannot mean";
  }
  if (name.find(':') != std::string::npos) {
    return "holds \":\": a port needs --format policy, an IPv6 address a rule by hand";
  }
  return nullptr;
}

// The rule for one name; a problem naming `word` when it cannot be one.
void ConvertName(std::string_view word, bool allow, LineConversion* out) {
  HostRuleSpec host_rule;
  host_rule.names = HostRuleSpec::Names::kWithSubdomains;
  std::string name = list_import::FoldAscii(word);
  if (name.rfind("*.", 0) == 0) {
    host_rule.names = HostRuleSpec::Names::kSubdomainsOnly;
    name.erase(0, 2);
  } else if (name[0] == '.') {
    name.erase(0, 1);
  }
  std::string why;
  if (const char* why_not = NotADomainName(name)) {
    out->problems.push_back(list_import::Quoted(word) + " " + why_not);
  } else if (!list_import::ReadHostName(name, &host_rule, &why)) {
    out->problems.push_back(list_import::Quoted(word) + ": " + why);
  } else {
    list_import::AddHostRule(host_rule, allow, out);
  }
}

}  // namespace

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
  ConvertName(words[0], allow, &out);
  return out;
}

}  // namespace zelk::tools
