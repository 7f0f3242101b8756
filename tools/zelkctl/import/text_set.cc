#include "tools/zelkctl/import/text_set.h"

#include <functional>

namespace zelk::tools {
namespace {

constexpr size_t kFirstSlots = 16;

// The smallest power of two that keeps `count` texts at most half the table.
size_t SlotsFor(size_t count) {
  size_t slots = kFirstSlots;
  while (slots / 2 < count) {
    slots *= 2;
  }
  return slots;
}

}  // namespace

void TextSet::Reserve(size_t count, size_t bytes) {
  starts_.reserve(count);
  buffer_.reserve(bytes);
  if (slots_.size() < SlotsFor(count)) {
    Rehash(SlotsFor(count));
  }
}

std::string_view TextSet::Text(size_t number) const {
  const size_t end = number + 1 < starts_.size() ? starts_[number + 1] : buffer_.size();
  return std::string_view(buffer_).substr(starts_[number], end - starts_[number]);
}

size_t TextSet::Place(std::string_view text, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.number_plus_one == 0 ||
        (slot.hash == hash && Text(slot.number_plus_one - 1) == text)) {
      return at;
    }
  }
}

size_t TextSet::Find(std::string_view text) const {
  if (slots_.empty()) {
    return kAbsent;
  }
  const Slot& slot = slots_[Place(text, std::hash<std::string_view>()(text))];
  return slot.number_plus_one == 0 ? kAbsent : slot.number_plus_one - 1;
}

size_t TextSet::Insert(std::string_view text, bool* added) {
  if (slots_.size() / 2 < starts_.size() + 1) {
    Rehash(SlotsFor(starts_.size() + 1));
  }
  const size_t hash = std::hash<std::string_view>()(text);
  Slot& slot = slots_[Place(text, hash)];
  *added = slot.number_plus_one == 0;
  if (*added) {
    starts_.push_back(buffer_.size());
    buffer_.append(text);
    slot = Slot{starts_.size(), hash};
  }
  return slot.number_plus_one - 1;
}

void TextSet::Rehash(size_t slot_count) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(slot_count, Slot{});
  const size_t mask = slot_count - 1;
  for (const Slot& slot : old) {
    if (slot.number_plus_one == 0) {
      continue;
    }
    size_t at = slot.hash & mask;
    while (slots_[at].number_plus_one != 0) {
      at = (at + 1) & mask;
    }
    slots_[at] = slot;
  }
}

}  // namespace zelk::tools
