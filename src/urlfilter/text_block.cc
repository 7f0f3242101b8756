#include "urlfilter/text_block.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace zelk {
namespace {

bool AllBelow256(const char16_t* characters, size_t size) {
  char16_t high = 0;
  for (size_t i = 0; i < size; ++i) {
    high |= characters[i];  // no early exit: the loop stays vectorisable
  }
  return high < 256;
}

// True when `text` holds `length` characters of one width at `needle`.
template <typename Unit>
bool Holds(std::u16string_view text, const Unit* needle, size_t length) {
  if (length == 0) {
    return true;
  }
  for (size_t i = 0; i + length <= text.size(); ++i) {
    if (text[i] == needle[0] && std::equal(needle + 1, needle + length, text.data() + i + 1)) {
      return true;
    }
  }
  return false;
}

}  // namespace

void TextBlock::Reserve(size_t characters) {
  if (characters > capacity_) {
    Resize(characters);
  }
}

void TextBlock::Append(std::u16string_view text) {
  if (narrow_ && !AllBelow256(text.data(), text.size())) {
    Widen();
  }
  if (text.size() > capacity_ - size_) {
    if (text.size() > std::numeric_limits<size_t>::max() / 2 - size_) {
      throw std::bad_alloc();
    }
    Resize(std::max(size_ + text.size(), 2 * capacity_));
  }
  if (narrow_) {
    std::copy(text.begin(), text.end(), data_.get() + size_);
  } else if (!text.empty()) {
    std::memcpy(wide() + size_, text.data(), text.size() * sizeof(char16_t));
  }
  size_ += text.size();
}

void TextBlock::MoveDown(size_t from, size_t length, size_t to) {
  if (length != 0 && to < from && from + length <= size_) {
    std::memmove(data_.get() + to * unit(), data_.get() + from * unit(), length * unit());
  }
}

void TextBlock::Truncate(size_t size) {
  size_ = std::min(size_, size);
}

void TextBlock::ShrinkToFit() {
  if (size_ == 0) {
    data_.reset();
    capacity_ = 0;
  } else if (size_ < capacity_) {
    Resize(size_);
  }
}

// Front to back: byte i is written after character i, at byte 2i, is read, and never
// before a character still to be read.
bool TextBlock::Narrow() {
  if (narrow_ || !AllBelow256(wide(), size_)) {
    return narrow_;
  }
  const char16_t* from = wide();
  for (size_t i = 0; i < size_; ++i) {
    data_.get()[i] = static_cast<unsigned char>(from[i]);
  }
  narrow_ = true;
  capacity_ *= sizeof(char16_t);  // the same bytes hold twice the characters
  return true;
}

// Back to front, once the room is two bytes a character: character i is written at byte
// 2i only after every byte at or past i has been read. A failed realloc leaves the block
// as it was.
void TextBlock::Widen() {
  const size_t bytes = std::max(capacity_, size_ * sizeof(char16_t));
  if (bytes != 0) {
    Reallocate(bytes);
  }
  for (size_t i = size_; i > 0; --i) {
    wide()[i - 1] = data_.get()[i - 1];
  }
  narrow_ = false;
  capacity_ = bytes / sizeof(char16_t);
}

std::u16string_view TextBlock::view() const {
  return narrow_ ? std::u16string_view() : std::u16string_view(wide(), size_);
}

std::u16string TextBlock::Text(size_t begin, size_t length) const {
  if (narrow_) {
    return std::u16string(data_.get() + begin, data_.get() + begin + length);
  }
  return std::u16string(wide() + begin, length);
}

bool TextBlock::FoundIn(std::u16string_view text, size_t begin, size_t length) const {
  return narrow_ ? Holds(text, data_.get() + begin, length) : Holds(text, wide() + begin, length);
}

// A failed realloc leaves the block as it was.
void TextBlock::Resize(size_t capacity) {
  if (capacity > std::numeric_limits<size_t>::max() / unit()) {
    throw std::bad_alloc();
  }
  Reallocate(capacity * unit());
  capacity_ = capacity;
}

void TextBlock::Reallocate(size_t bytes) {
  void* resized = std::realloc(data_.get(), bytes);
  if (resized == nullptr) {
    throw std::bad_alloc();
  }
  static_cast<void>(data_.release());
  data_.reset(static_cast<unsigned char*>(resized));
}

}  // namespace zelk
