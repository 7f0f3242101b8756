#include "urlfilter/text_block.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace zelk {

void TextBlock::Reserve(size_t characters) {
  if (characters > capacity_) {
    Resize(characters);
  }
}

void TextBlock::Append(std::u16string_view text) {
  if (text.size() > capacity_ - size_) {
    if (text.size() > std::numeric_limits<size_t>::max() / 2 - size_) {
      throw std::bad_alloc();
    }
    Resize(std::max(size_ + text.size(), 2 * capacity_));
  }
  if (!text.empty()) {
    std::memcpy(data_.get() + size_, text.data(), text.size() * sizeof(char16_t));
  }
  size_ += text.size();
}

void TextBlock::MoveDown(size_t from, size_t length, size_t to) {
  if (length != 0 && to < from && from + length <= size_) {
    std::memmove(data_.get() + to, data_.get() + from, length * sizeof(char16_t));
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

// A failed realloc leaves the block as it was.
void TextBlock::Resize(size_t capacity) {
  if (capacity > std::numeric_limits<size_t>::max() / sizeof(char16_t)) {
    throw std::bad_alloc();
  }
  void* resized = std::realloc(data_.get(), capacity * sizeof(char16_t));
  if (resized == nullptr) {
    throw std::bad_alloc();
  }
  static_cast<void>(data_.release());
  data_.reset(static_cast<char16_t*>(resized));
  capacity_ = capacity;
}

}  // namespace zelk
