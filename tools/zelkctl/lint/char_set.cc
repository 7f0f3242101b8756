#include "tools/zelkctl/lint/char_set.h"

#include <algorithm>

namespace zelk::tools {

// Merges in place, as pattern checks add a range at a time to sets of a few ranges: the
// ranges that overlap or touch the new one become one with it.
void CharSet::Add(uint32_t low, uint32_t high) {
  auto first = std::lower_bound(
      ranges_.begin(), ranges_.end(), low,
      [](const ClassMember& range, uint32_t value) { return uint32_t{range.high} + 1 < value; });
  auto last = first;
  for (; last != ranges_.end() && last->low <= high + 1; ++last) {
    low = std::min<uint32_t>(low, last->low);
    high = std::max<uint32_t>(high, last->high);
  }
  const ClassMember merged{static_cast<char16_t>(low), static_cast<char16_t>(high)};
  if (first == last) {
    ranges_.insert(first, merged);
  } else {
    *first = merged;
    ranges_.erase(first + 1, last);
  }
  if (ranges_.size() > kMaxRanges) {
    ranges_ = {ClassMember{ranges_.front().low, ranges_.back().high}};
  }
}

bool CharSet::Intersects(const CharSet& other) const {
  size_t i = 0;
  size_t j = 0;
  while (i < ranges_.size() && j < other.ranges_.size()) {
    const ClassMember& a = ranges_[i];
    const ClassMember& b = other.ranges_[j];
    if (a.high < b.low) {
      ++i;
    } else if (b.high < a.low) {
      ++j;
    } else {
      return true;
    }
  }
  return false;
}

CharSet CharSet::Complement() const {
  CharSet result;
  result.ranges_.reserve(ranges_.size() + 1);
  uint32_t next = 0;
  for (const ClassMember& range : ranges_) {
    if (range.low > next) {
      result.Add(next, range.low - 1u);
    }
    next = uint32_t{range.high} + 1;
  }
  if (next <= 0xffff) {
    result.Add(next, 0xffff);
  }
  return result;
}

}  // namespace zelk::tools
