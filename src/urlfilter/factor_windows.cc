#include "urlfilter/factor_windows.h"

#include <algorithm>
#include <limits>

#include "urlfilter/factor_index.h"

namespace zelk {
namespace {

// Places of the count table per text counted, and the most places it has.
constexpr size_t kPlacesPerText = 8;
constexpr size_t kMaxPlaces = size_t{1} << 24;
constexpr uint8_t kMaxCount = std::numeric_limits<uint8_t>::max();

}  // namespace

FactorWindows::FactorWindows(size_t texts) {
  size_t places = 1024;
  while (places < texts * kPlacesPerText && places < kMaxPlaces) {
    places *= 2;
  }
  counts_.assign(places, 0);
}

size_t FactorWindows::OffsetCount(size_t length) {
  return length <= kIndexWindowLength ? 1
                                      : std::min(kWindowChoices, length - kIndexWindowLength + 1);
}

size_t FactorWindows::Offset(size_t length, size_t choices, size_t choice) {
  return choices == 1 ? 0 : (length - kIndexWindowLength) * choice / (choices - 1);
}

size_t FactorWindows::PlacesOf(std::u16string_view text, Announced* announced) const {
  const size_t choices = OffsetCount(text.size());
  announced->text = text.data();
  announced->length = text.size();
  for (size_t choice = 0; choice < choices; ++choice) {
    const WindowKey key = PackWindow(text.substr(Offset(text.size(), choices, choice)));
    announced->places[choice] = static_cast<uint32_t>(WindowHash(key) & (counts_.size() - 1));
  }
  return choices;
}

void FactorWindows::Bump(size_t place) {
  uint8_t& count = counts_[place];
  count = count == kMaxCount ? count : static_cast<uint8_t>(count + 1);
}

void FactorWindows::Count(std::u16string_view text) {
  Announced windows;
  const size_t choices = PlacesOf(text, &windows);
  for (size_t choice = 0; choice < choices; ++choice) {
    Prefetch(&counts_[windows.places[choice]]);
    size_t& slot = pending_[counted_++ % kPending];
    if (counted_ > kPending) {
      Bump(slot);
    }
    slot = windows.places[choice];
  }
}

void FactorWindows::Finish() {
  for (size_t i = counted_ > kPending ? counted_ - kPending : 0; i < counted_; ++i) {
    Bump(pending_[i % kPending]);
  }
  counted_ = 0;
}

void FactorWindows::Announce(std::u16string_view text) {
  if (waiting_ == kAhead || OffsetCount(text.size()) == 1) {
    return;  // the queue is full, or there is nothing to choose
  }
  Announced& announced = announced_[(first_ + waiting_) % kAhead];
  const size_t choices = PlacesOf(text, &announced);
  for (size_t choice = 0; choice < choices; ++choice) {
    Prefetch(&counts_[announced.places[choice]]);
  }
  ++waiting_;
}

std::u16string_view FactorWindows::Choose(std::u16string_view text) {
  if (OffsetCount(text.size()) == 1) {
    return text.substr(0, kIndexWindowLength);
  }
  const Announced& first = announced_[first_];
  if (waiting_ > 0 && first.text == text.data() && first.length == text.size()) {
    first_ = (first_ + 1) % kAhead;
    --waiting_;
    return ChooseAmong(text, first);
  }
  Announced unannounced;
  PlacesOf(text, &unannounced);
  return ChooseAmong(text, unannounced);
}

// On equal counts the later window wins: the end of a long path or host names the file or
// site, where its beginning is often shared.
std::u16string_view FactorWindows::ChooseAmong(std::u16string_view text,
                                               const Announced& announced) const {
  const size_t choices = OffsetCount(text.size());
  size_t best = 0;
  uint32_t fewest = std::numeric_limits<uint32_t>::max();
  for (size_t choice = 0; choice < choices; ++choice) {
    const uint32_t shared = counts_[announced.places[choice]];
    if (shared <= fewest) {
      fewest = shared;
      best = choice;
    }
  }
  return text.substr(Offset(text.size(), choices, best), kIndexWindowLength);
}

}  // namespace zelk
