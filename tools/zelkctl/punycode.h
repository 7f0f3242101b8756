// The "xn--" form of international host-name labels. Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_PUNYCODE_H_
#define ZELK_TOOLS_ZELKCTL_PUNYCODE_H_

#include <string>
#include <string_view>

namespace zelk::tools {

// Decodes UTF-8 into code points. False for malformed text (bad sequences, overlong forms,
// surrogates, values above U+10FFFF).
bool DecodeUtf8(std::string_view text, std::u32string* code_points);

// The Punycode encoding of one label, without the "xn--" prefix. False when the result
// would overflow (labels far longer than a host name allows).
bool EncodePunycode(std::u32string_view label, std::string* encoded);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_PUNYCODE_H_
