// The matcher's stacks of plain entries, grown without copying where the allocator can
// help it. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_PLAIN_STACK_H_
#define ZELK_URLFILTER_PATTERN_PLAIN_STACK_H_

#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace zelk {

// A stack of trivially copyable entries whose room only grows. A growth reallocates the
// block: the allocator extends it in place or moves its pages where it can, instead of
// copying them into a fresh block and writing every new entry first, as a vector does, so
// a first long match does not pay for each doubling in fresh pages. Room past the entries
// pushed holds no defined value.
template <typename Entry>
class PlainStack {
  static_assert(std::is_trivially_copyable_v<Entry>, "entries are moved as bytes");

 public:
  PlainStack() = default;
  ~PlainStack() { std::free(entries_); }
  PlainStack(PlainStack&& other) noexcept { Take(&other); }
  PlainStack& operator=(PlainStack&& other) noexcept {
    if (this != &other) {
      std::free(entries_);
      Take(&other);
    }
    return *this;
  }
  PlainStack(const PlainStack&) = delete;
  PlainStack& operator=(const PlainStack&) = delete;

  // Makes room for `entries` entries, keeping those held; false, leaving the stack as it
  // was, when the memory cannot be had.
  bool Grow(size_t entries) {
    if (entries <= capacity_) {
      return true;
    }
    if (entries > std::numeric_limits<size_t>::max() / sizeof(Entry)) {
      return false;
    }
    void* grown = std::realloc(static_cast<void*>(entries_), entries * sizeof(Entry));
    if (grown == nullptr) {
      return false;
    }
    entries_ = static_cast<Entry*>(grown);
    capacity_ = entries;
    return true;
  }

  size_t capacity() const { return capacity_; }
  Entry& operator[](size_t index) { return entries_[index]; }

  // As a vector's: a push that finds no room doubles it, and throws std::bad_alloc when it
  // cannot.
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Entry& back() { return entries_[size_ - 1]; }
  void pop_back() { --size_; }
  void clear() { size_ = 0; }
  void push_back(const Entry& entry) {
    if (size_ == capacity_ && !Grow(2 * capacity_ + 16)) {
      throw std::bad_alloc();
    }
    entries_[size_++] = entry;
  }

 private:
  void Take(PlainStack* other) {
    entries_ = std::exchange(other->entries_, nullptr);
    capacity_ = std::exchange(other->capacity_, 0);
    size_ = std::exchange(other->size_, 0);
  }

  Entry* entries_ = nullptr;
  size_t capacity_ = 0;
  size_t size_ = 0;  // entries pushed (push_back and pop_back only)
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_PLAIN_STACK_H_
