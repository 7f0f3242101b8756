#include "urlfilter/factor_windows.h"

#include <algorithm>
#include <limits>

#include "urlfilter/factor_index.h"

namespace zelk {
namespace {

// Windows considered in one long text.
constexpr size_t kWindowChoices = 12;
// Places of the count table per text counted, and the most places it has.
constexpr size_t kPlacesPerText = 8;
constexpr size_t kMaxPlaces = size_t{1} << 24;
constexpr uint8_t kMaxCount = std::numeric_limits<uint8_t>::max();

// Asks for the cache line holding `address` ahead of its use; a hint, without effect where
// the compiler has no way to give it.
inline void Prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address, 1);
#else
  static_cast<void>(address);
#endif
}

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

size_t FactorWindows::PlaceOf(std::u16string_view window) const {
  return WindowHash(PackWindow(window)) & (counts_.size() - 1);
}

void FactorWindows::Bump(size_t place) {
  uint8_t& count = counts_[place];
  count = count == kMaxCount ? count : static_cast<uint8_t>(count + 1);
}

void FactorWindows::Count(std::u16string_view text) {
  const size_t choices = OffsetCount(text.size());
  for (size_t choice = 0; choice < choices; ++choice) {
    const size_t place = PlaceOf(text.substr(Offset(text.size(), choices, choice)));
    zelk::Prefetch(&counts_[place]);
    size_t& slot = pending_[counted_++ % kPending];
    if (counted_ > kPending) {
      Bump(slot);
    }
    slot = place;
  }
}

void FactorWindows::Finish() {
  for (size_t i = counted_ > kPending ? counted_ - kPending : 0; i < counted_; ++i) {
    Bump(pending_[i % kPending]);
  }
  counted_ = 0;
}

void FactorWindows::Prefetch(std::u16string_view text) const {
  const size_t choices = OffsetCount(text.size());
  if (choices == 1) {
    return;  // nothing to choose
  }
  for (size_t choice = 0; choice < choices; ++choice) {
    zelk::Prefetch(&counts_[PlaceOf(text.substr(Offset(text.size(), choices, choice)))]);
  }
}

// On equal counts the later window wins: the end of a long path or host names the file or
// site, where its beginning is often shared.
std::u16string_view FactorWindows::Choose(std::u16string_view text) const {
  const size_t choices = OffsetCount(text.size());
  if (choices == 1) {
    return text.substr(0, kIndexWindowLength);
  }
  size_t best = 0;
  uint32_t fewest = std::numeric_limits<uint32_t>::max();
  for (size_t choice = 0; choice < choices; ++choice) {
    const size_t offset = Offset(text.size(), choices, choice);
    const uint32_t shared = counts_[PlaceOf(text.substr(offset))];
    if (shared <= fewest) {
      fewest = shared;
      best = offset;
    }
  }
  return text.substr(best, kIndexWindowLength);
}

}  // namespace zelk
