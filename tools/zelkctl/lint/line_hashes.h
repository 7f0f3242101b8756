// Lines by a hash of what they hold, any number of lines per hash: one flat table, so that
// a list of a million rules costs 16 bytes a line and one run of probes a lookup, where a
// node-based map costs a heap block a line and a chain of pointers to follow. Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_LINT_LINE_HASHES_H_
#define ZELK_TOOLS_ZELKCTL_LINT_LINE_HASHES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk::tools {

class LineHashes {
 public:
  void Add(uint64_t hash, size_t line) {
    if ((count_ + 1) * 2 > slots_.size()) {
      Grow();
    }
    Place(Slot{hash, static_cast<uint64_t>(line) + 1});
    ++count_;
  }

  // Calls visit(line) for every line added with `hash`, in no particular order.
  template <typename Visit>
  void ForEach(uint64_t hash, Visit visit) const {
    if (slots_.empty()) {
      return;
    }
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask; slots_[i].line_plus_one != 0; i = (i + 1) & mask) {
      if (slots_[i].hash == hash) {
        visit(static_cast<size_t>(slots_[i].line_plus_one - 1));
      }
    }
  }

 private:
  struct Slot {
    uint64_t hash = 0;
    uint64_t line_plus_one = 0;  // 0: empty
  };

  void Place(const Slot& slot) {
    const size_t mask = slots_.size() - 1;
    size_t i = slot.hash & mask;
    while (slots_[i].line_plus_one != 0) {
      i = (i + 1) & mask;
    }
    slots_[i] = slot;
  }

  // Doubles the table (a power of two in size, at most half full) and places every line
  // again.
  void Grow() {
    std::vector<Slot> old(slots_.empty() ? size_t{16} : slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.line_plus_one != 0) {
        Place(slot);
      }
    }
  }

  std::vector<Slot> slots_;
  size_t count_ = 0;
};

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_LINT_LINE_HASHES_H_
