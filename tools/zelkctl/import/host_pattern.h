// Host names as the browser sends them, and the literal pieces of the patterns that
// imported list entries become. Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_IMPORT_HOST_PATTERN_H_
#define ZELK_TOOLS_ZELKCTL_IMPORT_HOST_PATTERN_H_

#include <string>
#include <string_view>

namespace zelk::tools {

// A host name in the form the browser puts into an address: lower case, international
// labels in their "xn--" form, no final dot.
struct HostName {
  std::string ascii;
  bool is_address = false;  // four decimal numbers: an IPv4 address, matched exactly
};

// Turns a host name written in a list (UTF-8, any case, an international name, a final
// dot) into the form the browser sends. False, with the reason in words, when the text
// cannot be a host name: characters that cannot occur in one, empty labels, labels or a
// name too long, an IPv6 address, or a number the browser would read as an address in
// another form.
bool NormalizeHostName(std::string_view text, HostName* host, std::string* why);

// Text escaped so that it matches itself literally; characters outside ASCII are written
// percent-encoded, as the browser sends them in a path.
std::string EscapeLiteral(std::string_view text);

// True for a scheme name: a letter, then letters, digits, "+", "-" or ".".
bool IsSchemeName(std::string_view text);

// The port a scheme uses when an address names none ("443" for https), or empty.
std::string_view DefaultPort(std::string_view scheme);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_IMPORT_HOST_PATTERN_H_
