// Reads the filter file into the library's filter list, once.
#ifndef ZELK_URLFILTER_FILTER_LIST_H_
#define ZELK_URLFILTER_FILTER_LIST_H_

#include "config/config_source.h"
#include "urlfilter/line_texts.h"

namespace zelk {

// Reads the file named by CheckURLFile into the filter list of `source`, compiles it once
// (the list never changes while the library is loaded) and marks it loaded. Returns 1 when
// the list may be used: loaded now, or nothing to load (checking off, or no file named).
// Returns 0, leaving the list as it was and the flag clear so the next check tries again,
// when the file cannot be opened or read or its list does not fit in memory; the user has
// then been shown why. The settings must have been loaded.
int LoadFilterList(ConfigSource& source);

// Compiles the lines read from the file, which it takes over; null when memory ran short.
using FilterListCompiler = CompiledFilterListPtr (*)(LineTexts&& lines);
// Makes LoadFilterList compile with `compiler`; null restores the library's own.
void SetFilterListCompilerForTesting(FilterListCompiler compiler);

}  // namespace zelk

#endif  // ZELK_URLFILTER_FILTER_LIST_H_
