// The "xn--" form of international host-name labels. Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_IMPORT_PUNYCODE_H_
#define ZELK_TOOLS_ZELKCTL_IMPORT_PUNYCODE_H_

#include <string>
#include <string_view>

#include "tools/zelkctl/support/utf8.h"

namespace zelk::tools {

// The Punycode encoding of one label, without the "xn--" prefix. False when the result
// would overflow (labels far longer than a host name allows).
bool EncodePunycode(std::u32string_view label, std::string* encoded);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_IMPORT_PUNYCODE_H_
