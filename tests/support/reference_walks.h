// The two walks the indexed address check is proved against, for the tests, the fuzz
// targets and the benchmarks; the library itself keeps only the indexed check.
#ifndef ZELK_TESTS_SUPPORT_REFERENCE_WALKS_H_
#define ZELK_TESTS_SUPPORT_REFERENCE_WALKS_H_

#include <string>
#include <vector>

#include "urlfilter/url_decision.h"

namespace zelk {

// The walk done plainly over the lines of the filter file, compiling and matching every
// rule it reaches in turn. `input.list` only says whether a filter is configured (null:
// none); the rules are `lines`.
UrlDecision WalkFilterRules(const UrlCheckInput& input, const std::vector<std::u16string>& lines);

// The walk over `input.list`, trying every pattern rule in turn without the index: the
// reference for the index alone.
UrlDecision WalkCompiledRules(const UrlCheckInput& input);

}  // namespace zelk

#endif  // ZELK_TESTS_SUPPORT_REFERENCE_WALKS_H_
