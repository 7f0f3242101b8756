// The one place the address check's input is put together from the library's state, for
// the export and for the administrator tool's explanations alike.
#ifndef ZELK_URLFILTER_URL_CHECK_INPUT_H_
#define ZELK_URLFILTER_URL_CHECK_INPUT_H_

#include <string_view>

#include "config/config_source.h"
#include "urlfilter/url_decision.h"

namespace zelk {

// The check of `address` (wide, as received) by the settings and filter list of `source`.
// The result refers to `source` and `address`, which must outlive it.
UrlCheckInput UrlCheckInputFor(const ConfigSource& source, std::u16string_view address);

}  // namespace zelk

#endif  // ZELK_URLFILTER_URL_CHECK_INPUT_H_
