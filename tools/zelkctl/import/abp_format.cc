// The network rules of ad-block lists:
//   ||example.com^      the host and the names under it ("^" ends the host); refused on
//                       every scheme, allowed over http and https
//   ||example.com/ads   the same hosts, with a path that begins with /ads
//   |https://example.com/   addresses that begin with the text; a final "|" ends them
//   /banner/*.gif       plain text (with "*" for any run), anywhere in the address
//   @@...               an exception: the rule allows
// Options ("$third-party", "$script"), element hiding ("##") and regular expressions
// ("/.../") need more than the address of a page and are not converted. "!" starts a
// comment, "[Adblock Plus 2.0]" is a header.
#include <string>

#include "tools/zelkctl/import/list_import.h"

namespace zelk::tools {
namespace {

using list_import::Quoted;

// Characters an ad-block "^" does not stand for: it is any other character, or the end.
constexpr std::string_view kSeparator = "[^a-z0-9_.%\\-]";
constexpr std::string_view kSeparatorOrEnd = "![a-z0-9_.%\\-]";
// A "^" right after the host: the host ends there. "@" is left out, so that no user name
// before another site's host satisfies the rule.
constexpr std::string_view kHostSeparator = "[/:?#]";

constexpr std::string_view kElementHiding[] = {"##", "#@#", "#?#", "#$#", "#%#", "#@?#"};

bool IsHostByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// The rest of a rule in pattern form: "*" any run, "^" a separator (or the end, as the
// last character), a final "|" the end of the address, anything else itself.
std::string Translate(std::string_view rest) {
  while (!rest.empty() && rest.back() == '*') {
    rest.remove_suffix(1);  // a run of anything at the end adds nothing
  }
  std::string pattern;
  for (size_t i = 0; i < rest.size(); ++i) {
    const char c = rest[i];
    const bool last = i + 1 == rest.size();
    if (c == '*') {
      if (pattern.size() < 2 || pattern.compare(pattern.size() - 2, 2, ".*") != 0) {
        pattern += ".*";
      }
    } else if (c == '^') {
      const bool before_end = last || (i + 2 == rest.size() && rest[i + 1] == '|');
      pattern += before_end ? kSeparatorOrEnd : kSeparator;
    } else if (c == '|' && last) {
      pattern += "$";
    } else {
      pattern += EscapeLiteral(rest.substr(i, 1));
    }
  }
  return pattern;
}

// The length of the host name at the start of the text.
size_t HostLength(std::string_view text) {
  size_t length = 0;
  while (length < text.size() && IsHostByte(text[length])) {
    ++length;
  }
  return length;
}

// The pattern for what follows the host; a "^" right after it ends the host.
std::string TailPattern(std::string_view rest) {
  return !rest.empty() && rest[0] == '^' ? std::string(kHostSeparator) + Translate(rest.substr(1))
                                         : Translate(rest);
}

// "||host..." rules.
void ConvertDomainAnchor(std::string_view body,
                         std::string_view entry,
                         bool allow,
                         LineConversion* out) {
  const size_t host_end = HostLength(body);
  const std::string_view rest = body.substr(host_end);
  HostRuleSpec host_rule;
  host_rule.names = HostRuleSpec::Names::kWithSubdomains;
  std::string why;
  if (!rest.empty() && rest[0] == '*') {
    out->problems.push_back(Quoted(entry) + ": a wildcard inside the host cannot be expressed");
    return;
  }
  if (!NormalizeHostName(body.substr(0, host_end), &host_rule.host, &why)) {
    out->problems.push_back(Quoted(entry) + ": " + why);
    return;
  }
  if (rest == "^" || rest == "^|" || (allow && rest.empty())) {
    if (rest.empty()) {
      // An exception that lets the host name go on would also allow example.com.evil.test.
      out->problems.push_back(Quoted(entry) +
                              ": an exception that does not end the host with \"^\" or \"/\" "
                              "would also allow longer host names; add \"^\"");
      return;
    }
    list_import::AddHostRule(host_rule, allow, out);
    return;
  }
  host_rule.has_tail = true;
  host_rule.tail = TailPattern(rest);
  if (allow && !rest.empty() && rest[0] != '^' && rest[0] != '/' && rest[0] != ':') {
    out->problems.push_back(Quoted(entry) + ": an exception whose host runs on into " +
                            Quoted(rest) + " would also allow longer host names");
    return;
  }
  list_import::AddHostRule(host_rule, allow, out);
}

// "|scheme://host..." rules: the address begins with the text.
void ConvertStartAnchor(std::string_view body,
                        std::string_view entry,
                        bool allow,
                        LineConversion* out) {
  const size_t scheme_end = body.find("://");
  if (scheme_end == std::string_view::npos || !IsSchemeName(body.substr(0, scheme_end))) {
    if (allow) {
      out->problems.push_back(Quoted(entry) + ": an exception must name a scheme and host");
      return;
    }
    out->rules.push_back(ImportedRule{allow, "^" + Translate(body), ""});
    return;
  }
  const std::string_view after = body.substr(scheme_end + 3);
  const size_t host_end = HostLength(after);
  HostRuleSpec host_rule;
  host_rule.schemes = {std::string(body.substr(0, scheme_end))};
  std::string why;
  if (!NormalizeHostName(after.substr(0, host_end), &host_rule.host, &why)) {
    out->problems.push_back(Quoted(entry) + ": " + why);
    return;
  }
  const std::string_view rest = after.substr(host_end);
  const bool bounded = !rest.empty() && std::string_view("/:?#^").find(rest[0]) != rest.npos;
  if (allow && !bounded) {
    out->problems.push_back(Quoted(entry) +
                            ": an exception that does not end the host with \"/\" or \"^\" "
                            "would also allow longer host names and user names");
    return;
  }
  if (rest != "^" && rest != "^|") {
    host_rule.has_tail = true;
    host_rule.tail = TailPattern(rest);
  }
  list_import::AddHostRule(host_rule, allow, out);
}

// Why a rule says more than an address can: element hiding, options, white space, a
// regular expression; empty for a rule that can be converted.
std::string Unconvertible(std::string_view body) {
  for (std::string_view mark : kElementHiding) {
    if (body.find(mark) != std::string::npos) {
      return "an element-hiding rule changes pages, not which addresses load";
    }
  }
  const size_t options = body.find('$');
  if (options != std::string_view::npos) {
    return "the options " + Quoted(body.substr(options)) +
           " cannot be expressed: the filter sees only the address of a page";
  }
  if (list_import::Words(body).size() != 1) {
    return "white space inside a rule";
  }
  if (body.size() > 2 && body.front() == '/' && body.back() == '/') {
    return "regular-expression rules are not converted";
  }
  return "";
}

// Plain text anywhere in the address; refusing only, since allowing it would allow any site.
void ConvertPlainText(std::string_view body, std::string_view entry, LineConversion* out) {
  while (!body.empty() && body.front() == '*') {
    body.remove_prefix(1);
  }
  std::string pattern = Translate(body);
  if (pattern.empty() || pattern == "$") {
    out->problems.push_back(Quoted(entry) + ": the rule matches every address");
    return;
  }
  if (pattern == "all") {
    pattern = "(all)";  // the bare text "all" would be read as a default rule
  }
  out->rules.push_back(ImportedRule{false, pattern, ""});
}

}  // namespace

LineConversion ConvertAbpLine(std::string_view line, bool allow) {
  LineConversion out;
  const std::string entry = list_import::FoldAscii(list_import::TrimBlank(line));
  if (entry.empty() || entry[0] == '!' || entry[0] == '[') {
    return out;
  }
  std::string_view body = entry;
  if (body.rfind("@@", 0) == 0) {
    allow = true;
    body.remove_prefix(2);
  }
  const std::string why = Unconvertible(body);
  if (!why.empty()) {
    out.problems.push_back(Quoted(entry) + ": " + why);
  } else if (body.rfind("||", 0) == 0) {
    ConvertDomainAnchor(body.substr(2), entry, allow, &out);
  } else if (body[0] == '|') {
    ConvertStartAnchor(body.substr(1), entry, allow, &out);
  } else if (allow) {
    out.problems.push_back(Quoted(entry) +
                           ": an exception without \"||\" or \"|\" would allow every address "
                           "that holds its text, on any site");
  } else {
    ConvertPlainText(body, entry, &out);
  }
  return out;
}

}  // namespace zelk::tools
