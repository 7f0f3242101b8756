// Entries of a browser's URL block and allow policies, one a line:
// [scheme://][.|*.|[*.]]host[:port][/path], or "*" for every address.
//   example.com            the host and every name under it, any port and path; allowed:
//                          over http and https, refused: on every scheme
//   .example.com           the host alone
//   *.example.com          only the names under it; [*.]example.com the host and those
//   https://example.com/a  that scheme, and paths that begin with /a
//   example.com:8080       that port only
//   javascript://*         every address of the scheme
// A line may carry the quotes and comma of a policy file's list ("example.com",); "#"
// starts a comment line.
// An allowed entry without a scheme admits the web's schemes only: allowing "*" lets
// through every http and https address that no rule refuses, and no javascript: or file:
// address.
#include <string>

#include "tools/zelkctl/import/list_import.h"

namespace zelk::tools {
namespace {

using list_import::Quoted;

// Every address that is not of the web's schemes.
constexpr std::string_view kNotWeb = "^!(https?://)";

std::string_view Unquoted(std::string_view text) {
  text = list_import::TrimBlank(text);
  if (!text.empty() && text.back() == ',') {
    text.remove_suffix(1);
  }
  text = list_import::TrimBlank(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

bool ValidPort(std::string_view port) {
  if (port.empty() || port.size() > 5) {
    return false;
  }
  for (char c : port) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  const int value = std::stoi(std::string(port));
  return value > 0 && value <= 65535;
}

// Reads the host part (names marker, host, port) into `host_rule`; false with the reason.
bool ReadHostPart(std::string_view host_port, HostRuleSpec* host_rule, std::string* why) {
  const size_t colon = host_port.rfind(':');
  if (colon != std::string_view::npos && host_port.find(']') == std::string_view::npos) {
    host_rule->port = std::string(host_port.substr(colon + 1));
    host_port = host_port.substr(0, colon);
    if (!ValidPort(host_rule->port)) {
      *why = "the port " + Quoted(host_rule->port) + " is not a number from 1 to 65535";
      return false;
    }
  }
  host_rule->names = HostRuleSpec::Names::kWithSubdomains;
  if (host_port.rfind("[*.]", 0) == 0) {
    host_port.remove_prefix(4);
  } else if (host_port.rfind("*.", 0) == 0) {
    host_rule->names = HostRuleSpec::Names::kSubdomainsOnly;
    host_port.remove_prefix(2);
  } else if (!host_port.empty() && host_port[0] == '.') {
    host_rule->names = HostRuleSpec::Names::kExact;
    host_port.remove_prefix(1);
  }
  if (host_port.find('*') != std::string_view::npos) {
    *why = "a wildcard inside the host cannot be expressed";
    return false;
  }
  return list_import::ReadHostName(host_port, host_rule, why);
}

bool Fail(std::string* why, std::string text) {
  *why = std::move(text);
  return false;
}

// The rules for "*": every address; allowed, only the addresses of the web's schemes.
void ConvertEverything(bool allow, LineConversion* out) {
  out->rules.push_back(ImportedRule{allow, "all", ""});
  if (allow) {
    out->rules.push_back(ImportedRule{false, std::string(kNotWeb), ""});
  }
}

// Splits the entry into its scheme and path (kept in `host_rule`) and its host and port;
// false with the reason when the scheme or path cannot be expressed.
bool SplitEntry(std::string_view entry,
                HostRuleSpec* host_rule,
                std::string_view* host_port,
                std::string* why) {
  std::string_view rest = entry;
  const size_t scheme_end = entry.find("://");
  if (scheme_end != std::string_view::npos) {
    const std::string scheme = list_import::FoldAscii(entry.substr(0, scheme_end));
    rest = entry.substr(scheme_end + 3);
    if (!IsSchemeName(scheme)) {
      return Fail(why, "the scheme " + Quoted(scheme) + " is not a scheme name");
    }
    host_rule->schemes = {scheme};
  }
  if (rest.find_first_of("?#") != std::string_view::npos) {
    return Fail(why,
                "a query or fragment cannot be expressed: the browser's lists match query "
                "parameters in any order");
  }
  const size_t path_start = rest.find('/');
  *host_port = rest.substr(0, path_start);
  if (path_start != std::string_view::npos) {
    host_rule->path = std::string(rest.substr(path_start));
  }
  if (host_rule->path.find('*') != std::string::npos) {
    return Fail(why, "a path is matched as a prefix: write it without \"*\"");
  }
  return true;
}

// The rule for "scheme://*", every address of the scheme; false where "*" stands otherwise.
bool ConvertAnyHost(const HostRuleSpec& host_rule,
                    bool allow,
                    LineConversion* out,
                    std::string* why) {
  if (host_rule.schemes.empty() || !host_rule.path.empty()) {
    return Fail(why, "a host \"*\" can only stand alone or after a scheme (javascript://*)");
  }
  out->rules.push_back(ImportedRule{allow, "^" + EscapeLiteral(host_rule.schemes[0]) + ":", ""});
  return true;
}

bool ConvertEntry(std::string_view entry, bool allow, LineConversion* out, std::string* why) {
  if (list_import::Words(entry).size() != 1) {
    return Fail(why, "white space inside an entry");
  }
  if (entry == "*") {
    ConvertEverything(allow, out);
    return true;
  }
  HostRuleSpec host_rule;
  std::string_view host_port;
  if (!SplitEntry(entry, &host_rule, &host_port, why)) {
    return false;
  }
  if (host_port == "*") {
    return ConvertAnyHost(host_rule, allow, out, why);
  }
  if (host_port.empty()) {
    return Fail(why, "an address without a host cannot be expressed");
  }
  if (!ReadHostPart(list_import::FoldAscii(host_port), &host_rule, why)) {
    return false;
  }
  list_import::AddHostRule(host_rule, allow, out);
  return true;
}

}  // namespace

LineConversion ConvertPolicyLine(std::string_view line, bool allow) {
  LineConversion out;
  const std::string_view entry = Unquoted(line);
  std::string why;
  if (!entry.empty() && entry[0] != '#' && !ConvertEntry(entry, allow, &out, &why)) {
    out.problems.push_back(Quoted(entry) + ": " + why);
  }
  return out;
}

}  // namespace zelk::tools
