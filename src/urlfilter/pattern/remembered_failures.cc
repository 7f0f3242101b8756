// The table of remembered failures: which programs keep one, how it is laid out, and the
// step limit it earns a search. Choosing whether to keep the table, looking a failure up and
// marking one run per match or per step, so they are inline in pattern_machine.h.
#include <algorithm>

#include "urlfilter/pattern/pattern_machine.h"

namespace zelk {

// Each address's remembered point, kNoPoint for the others: one look-up per Jump instead of
// a search through the points. The head of a loop whose iterations mark the Jump that
// closes it (see ClosingPoint), where no point lies, holds that Jump's point.
void PatternMachine::MapPoints() {
  std::vector<uint32_t>& map = state_.point_at_;
  map.assign(program_.size(), kNoPoint);
  const std::vector<MemoPoint>& points = pattern_.memo_points();
  for (uint32_t i = 0; i < points.size(); ++i) {
    if (points[i].address < map.size()) {
      map[points[i].address] = i;
    }
  }
  for (uint32_t i = 0; i < points.size(); ++i) {
    const uint32_t address = points[i].address;
    if (address < map.size() && program_[address].op() == Op::kJump) {
      const uint32_t head = program_[address].operand();
      if (head < map.size() && ClosingPoint(head) == i) {
        map[head] = i;
      }
    }
  }
}

// The steps this search may take whatever the caller grants; see kStepsPerCell. A linear
// search's limit grows with program x input; the product stays far below 2^64 (programs
// are shorter than 2^20 instructions, inputs than 2^32 characters).
uint64_t PatternMachine::SearchLimit(size_t points) const {
  if (pattern_.has_back_references() || (points != 0 && !remembers_)) {
    return kUnrememberedStepLimit;
  }
  const uint64_t cells = program_.size() * (static_cast<uint64_t>(text_.size()) + 1);
  return std::max(kUnrememberedStepLimit, kStepsPerCell * cells);
}

}  // namespace zelk
