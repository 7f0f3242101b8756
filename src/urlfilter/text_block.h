// A block of text that grows and shrinks through realloc: a large block changes size
// mostly in place, the system remapping its pages, rather than being copied into fresh
// memory, and room reserved but never written is never touched. A list of a million rules
// gathers its required texts in one, and the check keeps part of it. The block holds two
// bytes a character until narrowed, then one while every character stays below 256, as
// those of folded addresses nearly always do. Pure code.
#ifndef ZELK_URLFILTER_TEXT_BLOCK_H_
#define ZELK_URLFILTER_TEXT_BLOCK_H_

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace zelk {

class TextBlock {
 public:
  // Room for `characters` in all; throws std::bad_alloc when memory runs short, as every
  // call that grows the block does.
  void Reserve(size_t characters);
  // Adds `text` after the last character, growing the room by doubling. A narrow block
  // given a character of 256 or above first widens again, in place.
  void Append(std::u16string_view text);
  // Moves the `length` characters at `from` to `to`, no later than `from`: a block is
  // compacted in place.
  void MoveDown(size_t from, size_t length, size_t to);
  // Keeps the first `size` characters (all, when there are fewer).
  void Truncate(size_t size);
  // Gives back the room past the last character.
  void ShrinkToFit();
  // Rewrites the block one byte a character, in place, when every character is below 256;
  // returns whether the block is narrow now. The room left over is not given back.
  bool Narrow();

  // The characters of a wide block; empty once narrowed.
  std::u16string_view view() const;
  // Characters [begin, begin + length) of the block, whatever its width.
  std::u16string Text(size_t begin, size_t length) const;
  // True when `text` holds characters [begin, begin + length) of the block.
  bool FoundIn(std::u16string_view text, size_t begin, size_t length) const;
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  bool narrow() const { return narrow_; }
  // Bytes held.
  size_t memory() const { return capacity_ * unit(); }

 private:
  struct Free {
    void operator()(unsigned char* block) const { std::free(block); }
  };
  size_t unit() const { return narrow_ ? 1 : sizeof(char16_t); }
  char16_t* wide() const { return reinterpret_cast<char16_t*>(data_.get()); }
  void Resize(size_t capacity);
  void Reallocate(size_t bytes);
  void Widen();

  std::unique_ptr<unsigned char, Free> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
  bool narrow_ = false;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_TEXT_BLOCK_H_
