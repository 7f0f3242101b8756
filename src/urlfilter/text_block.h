// A block of UTF-16 text that grows and shrinks through realloc: a large block changes size
// mostly in place, the system remapping its pages, rather than being copied into fresh
// memory, and room reserved but never written is never touched. A list of a million rules
// gathers its required texts in one, and the check keeps part of it. Pure code.
#ifndef ZELK_URLFILTER_TEXT_BLOCK_H_
#define ZELK_URLFILTER_TEXT_BLOCK_H_

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace zelk {

class TextBlock {
 public:
  // Room for `characters` in all; throws std::bad_alloc when memory runs short, as every
  // call that grows the block does.
  void Reserve(size_t characters);
  // Adds `text` after the last character, growing the room by doubling.
  void Append(std::u16string_view text);
  // Moves the `length` characters at `from` to `to`, no later than `from`: a block is
  // compacted in place.
  void MoveDown(size_t from, size_t length, size_t to);
  // Keeps the first `size` characters (all, when there are fewer).
  void Truncate(size_t size);
  // Gives back the room past the last character.
  void ShrinkToFit();

  std::u16string_view view() const { return std::u16string_view(data_.get(), size_); }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }

 private:
  struct Free {
    void operator()(char16_t* block) const { std::free(block); }
  };
  void Resize(size_t capacity);

  std::unique_ptr<char16_t, Free> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_TEXT_BLOCK_H_
