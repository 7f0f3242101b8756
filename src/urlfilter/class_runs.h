// The run of character classes that every match of a pattern holds: for "[/=]\d\d\d", a
// "/" or "=" followed by three digits. A rule whose literal text is one character or none
// ("[/=]\d+", "^[a-z]+://\d+\.\d+") has no selective factor, but its run still tells most
// addresses apart from those it could match. Pure code.
#ifndef ZELK_URLFILTER_CLASS_RUNS_H_
#define ZELK_URLFILTER_CLASS_RUNS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "urlfilter/pattern/parser.h"

namespace zelk {

// A set of characters as sorted, disjoint, non-adjacent ranges. The end of input (0) is
// never in it: the run is looked for in the text of an address.
using CharacterSet = std::vector<ClassMember>;

// A run holds at most this many sets; any part of a run is a run too.
inline constexpr size_t kMaxClassRunLength = 64;

struct ClassRun {
  std::vector<CharacterSet> sets;
  // How much the run narrows the addresses down: three for each single character, two for
  // a small set, one for a larger one, nothing for "." or a set of most characters.
  uint32_t strength = 0;
};

// The strongest run of character sets that occurs, one set after another, in the text of
// every match of the pattern read into `reading`; empty (strength 0) when there is none or
// the pattern did not read.
ClassRun RequiredClassRun(const PatternReading& reading);

}  // namespace zelk

#endif  // ZELK_URLFILTER_CLASS_RUNS_H_
