// The one place the address check's input is put together from the library's state, for
// the export and for the administrator tool's explanations alike.
#ifndef ZELK_URLFILTER_URL_CHECK_INPUT_H_
#define ZELK_URLFILTER_URL_CHECK_INPUT_H_

#include <string>
#include <string_view>
#include <vector>

#include "config/config_source.h"
#include "urlfilter/url_decision.h"

namespace zelk {

// The check of `address` (wide, as received) by the settings and filter list of `source`.
// The result refers to `source` and `address`, which must outlive it.
UrlCheckInput UrlCheckInputFor(const ConfigSource& source, std::u16string_view address);

// The list the check of `source` decides by: null when no filter file is named; an empty
// list when one is named but was not read (checking was off at the first check), whose
// answer is to refuse. Explanations name the lines of this list.
const CompiledFilterList* FilterListOf(const ConfigSource& source);

// Every line of the list of `source`, for reports over the whole file; none when no file
// was read.
std::vector<std::u16string> FilterLinesOf(const ConfigSource& source);

}  // namespace zelk

#endif  // ZELK_URLFILTER_URL_CHECK_INPUT_H_
