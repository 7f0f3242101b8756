#include "tools/zelkctl/lint/char_set.h"

#include <algorithm>

namespace zelk::tools {

void CharSet::Add(uint32_t low, uint32_t high) {
  std::vector<ClassMember> merged;
  bool placed = false;
  for (const ClassMember& range : ranges_) {
    if (uint32_t{range.high} + 1 < low) {
      merged.push_back(range);
    } else if (high + 1 < range.low) {
      if (!placed) {
        merged.push_back(ClassMember{static_cast<char16_t>(low), static_cast<char16_t>(high)});
        placed = true;
      }
      merged.push_back(range);
    } else {
      low = std::min<uint32_t>(low, range.low);
      high = std::max<uint32_t>(high, range.high);
    }
  }
  if (!placed) {
    merged.push_back(ClassMember{static_cast<char16_t>(low), static_cast<char16_t>(high)});
  }
  if (merged.size() > kMaxRanges) {
    merged = {ClassMember{merged.front().low, merged.back().high}};
  }
  ranges_ = std::move(merged);
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
