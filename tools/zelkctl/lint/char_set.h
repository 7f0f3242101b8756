// Sets of 16-bit characters for the pattern checks. Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_LINT_CHAR_SET_H_
#define ZELK_TOOLS_ZELKCTL_LINT_CHAR_SET_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "urlfilter/pattern/parser.h"

namespace zelk::tools {

// A set of characters as sorted, disjoint ranges. Past kMaxRanges ranges it widens to the
// span they cover, which only makes the checks that use it more cautious.
class CharSet {
 public:
  static constexpr size_t kMaxRanges = 64;

  static CharSet All() {
    CharSet set;
    set.Add(0, 0xffff);
    return set;
  }
  // Adds the characters from low to high, both included (low <= high <= 0xFFFF).
  void Add(uint32_t low, uint32_t high);
  void Add(const CharSet& other) {
    for (const ClassMember& range : other.ranges_) {
      Add(range.low, range.high);
    }
  }
  // True when some character is in both sets.
  bool Intersects(const CharSet& other) const;
  // Every character from 0 to 0xFFFF that is not in this set.
  CharSet Complement() const;

 private:
  std::vector<ClassMember> ranges_;
};

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_LINT_CHAR_SET_H_
