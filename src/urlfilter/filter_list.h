// Reads the filter file into the library's filter list, once.
#ifndef ZELK_URLFILTER_FILTER_LIST_H_
#define ZELK_URLFILTER_FILTER_LIST_H_

#include "config/config_source.h"

namespace zelk {

// Fills the filter list of `source` from the file named by CheckURLFile, compiles it once
// (the list never changes while the library is loaded) and marks it loaded. Returns 1 when the list
// may be used: loaded now, or nothing to load (checking off, or no file named). Returns 0, leaving
// the flag clear so the next check tries again, when the file cannot be opened or read; the user
// has then been shown why. Lines read before a read error stay in the list. The settings must have
// been loaded.
int LoadFilterList(ConfigSource& source);

}  // namespace zelk

#endif  // ZELK_URLFILTER_FILTER_LIST_H_
