// The address check behind the CheckURL export.
#ifndef ZELK_URLFILTER_URL_CHECK_H_
#define ZELK_URLFILTER_URL_CHECK_H_

#include "config/config_source.h"
#include "urlfilter/url_decision.h"

namespace zelk {

// The host's answer for the zero-terminated address in `url`, a buffer of `capacity`
// bytes in the host's code page:
//   1, buffer untouched       the address may load;
//   0, the denied page        the address is refused;
//   1, "About:Blank"          the filter file could not be loaded (the user was told).
// A text longer than the buffer is cut at the last whole character that leaves room for
// the terminator, so the host always finds a terminated string and the same answer; the
// page is never built longer than the buffer can show. A null `url` is refused and nothing
// is written. With a capacity below 1 the buffer is neither read nor written: the address
// counts as empty, so only default rules decide. When anything fails part-way (memory
// runs out, say), the buffer gets the fixed page "about:blank" (or an empty string when
// that does not fit) and the answer is 0, so the address never reaches the host as the
// page. `decision`, when given, receives how the rules decided.
int CheckUrlBuffer(ConfigSource& source, char* url, int capacity, UrlDecision* decision = nullptr);

// Copies `text` into a host buffer of `capacity` bytes, cut as CheckUrlBuffer describes.
void WriteHostText(const std::string& text, char* buffer, int capacity);

}  // namespace zelk

#endif  // ZELK_URLFILTER_URL_CHECK_H_
