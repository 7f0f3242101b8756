#include "urlfilter/factor_index.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <tuple>
#include <utility>

namespace zelk {
namespace {

// Filter bits per window: about one window of an address in sixteen that no rule holds
// passes the filter and is looked up in the directory.
constexpr size_t kFilterBitsPerWindow = 16;
constexpr size_t kMinFilterBits = 4096;

// Entries of a walk reach the directory this many entries after they arrive, their bucket
// asked for from memory on arrival, so that the cache misses of that many entries overlap
// in a directory and arrays of megabytes where each would otherwise wait on its own.
constexpr size_t kLag = 16;

constexpr uint32_t kNoWindow = 0xFFFFFFFF;
// An address's search remembers this many windows it found last, which covers a repetition
// of a few characters at every window length.
constexpr size_t kRecentWindows = 32;
// The rules a search appends are made unique once they pass this many, then each time they
// have doubled.
constexpr size_t kCompactEvery = 4096;

using Entry = FactorIndex::Entry;

bool EntryLess(const Entry& a, const Entry& b) {
  return std::tie(a.key.low, a.key.high, a.rule) < std::tie(b.key.low, b.key.high, b.rule);
}

uint32_t CeilLog2(size_t n) {
  uint32_t bits = 0;
  while ((size_t{1} << bits) < n) {
    ++bits;
  }
  return bits;
}

void PutCharacter(WindowKey* key, size_t index, char16_t c) {
  if (index < 4) {
    key->low |= uint64_t{c} << (16 * index);
  } else {
    key->high |= uint64_t{c} << (16 * (index - 4));
  }
}

WindowKey WithLength(WindowKey key, size_t length) {
  key.high |= uint64_t{length} << 48;
  return key;
}

size_t LengthOf(const WindowKey& key) {
  return static_cast<size_t>(key.high >> 48);
}

// Whether every character of `key` is below 256, and if so, the same window one byte a
// character: characters 0-6 in bytes 0-6, the length in byte 7. Distinct windows stay
// distinct.
bool Narrowed(const WindowKey& key, uint64_t* narrow) {
  constexpr uint64_t kHighBytes = 0xFF00FF00FF00FF00ull;
  if ((key.low & kHighBytes) != 0 || (key.high & kHighBytes) != 0) {
    return false;
  }
  // Four 16-bit lanes holding a byte each, squeezed into the low 32 bits.
  const auto squeeze = [](uint64_t lanes) {
    lanes = (lanes | lanes >> 8) & 0x0000FFFF0000FFFFull;
    return (lanes | lanes >> 16) & 0xFFFFFFFFull;
  };
  *narrow = squeeze(key.low) | squeeze(key.high) << 32;
  return true;
}

}  // namespace

// The entries are scattered straight into the windows and rules they become, by a counting
// sort on their directory bucket, then each bucket is sorted by window and rule and merged
// in place: no array of the entries is made, since at a million rules that fresh memory
// costs more than walking them twice.
FactorIndex::FactorIndex(size_t most, const EntryWalk& walk) {
  const uint32_t bits = std::max<uint32_t>(1, CeilLog2(most));
  directory_shift_ = 64 - bits;
  directory_.assign((size_t{1} << bits) + 1, 0);
  uint32_t buckets[kLag];
  size_t count = 0;
  walk([&](const Entry& entry) {
    const size_t length = LengthOf(entry.key);
    if (length == 0 || count >= most) {
      return;
    }
    lengths_ |= 1u << (length - 1);
    uint32_t& bucket = buckets[count++ % kLag];
    if (count > kLag) {
      ++directory_[bucket];
    }
    bucket = BucketOf(entry.key);
    Prefetch(&directory_[bucket]);
  });
  for (size_t i = count > kLag ? count - kLag : 0; i < count; ++i) {
    ++directory_[buckets[i % kLag]];
  }
  Place(count, walk);
  MergeBuckets();
  BuildFilter();
  NarrowWindows();
}

// Places the first `count` entries of `walk` that have a window, the directory holding
// each bucket's size. An entry's bucket is moved kLag entries after it arrives, and the
// entry written kLag entries later still, each step's memory asked for a step ahead.
void FactorIndex::Place(size_t count, const EntryWalk& walk) {
  // Each bucket's end; placing an entry moves its bucket's end down, to its beginning.
  std::partial_sum(directory_.begin(), directory_.end(), directory_.begin());
  windows_.resize(count);
  rules_.resize(count);
  struct Arrived {
    WindowKey key;
    uint32_t rule;
    uint32_t bucket;
    uint32_t at;  // its place, once its bucket is moved
  };
  constexpr size_t kRing = 2 * kLag;
  Arrived ring[kRing];
  const auto settle = [this](Arrived& arrived) {
    arrived.at = --directory_[arrived.bucket];
    Prefetch(&windows_[arrived.at]);
    Prefetch(&rules_[arrived.at]);
  };
  const auto write = [this](const Arrived& arrived) {
    windows_[arrived.at] = arrived.key;
    rules_[arrived.at] = arrived.rule;
  };
  size_t placed = 0;
  walk([&](const Entry& entry) {
    if (LengthOf(entry.key) == 0 || placed >= count) {
      return;
    }
    Arrived& slot = ring[placed % kRing];
    if (placed >= kRing) {
      write(slot);
    }
    if (placed >= kLag) {
      settle(ring[(placed - kLag) % kRing]);
    }
    slot = Arrived{entry.key, entry.rule, BucketOf(entry.key), 0};
    Prefetch(&directory_[slot.bucket]);
    ++placed;
  });
  for (size_t i = placed > kLag ? placed - kLag : 0; i < placed; ++i) {
    settle(ring[i % kRing]);
  }
  for (size_t i = placed > kRing ? placed - kRing : 0; i < placed; ++i) {
    write(ring[i % kRing]);
  }
}

uint32_t FactorIndex::BucketOf(const WindowKey& key) const {
  return static_cast<uint32_t>(WindowHash(key) >> directory_shift_);
}

// Sorts each bucket by window and rule, then keeps each window once with its rules, each
// once: windows and rules move down in place (never past where they are read), and each
// bucket's start becomes that of its first window once the next bucket's start is read.
void FactorIndex::MergeBuckets() {
  rules_begin_.reserve(windows_.size() + 1);
  std::vector<Entry> bucket;
  size_t window_count = 0;
  size_t rule_count = 0;
  uint32_t first = 0;
  for (size_t b = 0; b + 1 < directory_.size(); ++b) {
    const uint32_t end = directory_[b + 1];
    directory_[b] = static_cast<uint32_t>(window_count);
    if (end - first > 1) {  // most hold one entry or none
      SortBucket(first, end, &bucket);
    }
    for (uint32_t i = first; i < end; ++i) {
      const bool new_window = i == first || !(windows_[i] == windows_[window_count - 1]);
      if (new_window) {
        windows_[window_count++] = windows_[i];
        rules_begin_.push_back(static_cast<uint32_t>(rule_count));
      }
      if (new_window || rules_[i] != rules_[rule_count - 1]) {
        rules_[rule_count++] = rules_[i];
      }
    }
    first = end;
  }
  directory_.back() = static_cast<uint32_t>(window_count);
  rules_begin_.push_back(static_cast<uint32_t>(rule_count));
  windows_.resize(window_count);
  rules_.resize(rule_count);
}

void FactorIndex::SortBucket(uint32_t first, uint32_t end, std::vector<Entry>* scratch) {
  std::vector<Entry>& bucket = *scratch;
  bucket.clear();
  for (uint32_t i = first; i < end; ++i) {
    bucket.push_back(Entry{windows_[i], rules_[i]});
  }
  std::sort(bucket.begin(), bucket.end(), EntryLess);
  for (uint32_t i = first; i < end; ++i) {
    windows_[i] = bucket[i - first].key;
    rules_[i] = bucket[i - first].rule;
  }
}

void FactorIndex::BuildFilter() {
  const size_t bits =
      size_t{1} << CeilLog2(std::max(kMinFilterBits, windows_.size() * kFilterBitsPerWindow));
  filter_.assign(bits / 64, 0);
  for (const WindowKey& key : windows_) {
    const uint64_t bit = WindowHash(key) & (bits - 1);
    filter_[bit / 64] |= uint64_t{1} << (bit % 64);
  }
}

void FactorIndex::NarrowWindows() {
  std::vector<uint64_t> narrow(windows_.size());
  for (size_t w = 0; w < windows_.size(); ++w) {
    if (!Narrowed(windows_[w], &narrow[w])) {
      return;
    }
  }
  narrow_windows_ = std::move(narrow);
  std::vector<WindowKey>().swap(windows_);
}

uint32_t FactorIndex::FindWindow(const WindowKey& key, uint64_t hash) const {
  const uint64_t bucket = hash >> directory_shift_;
  if (windows_.empty()) {
    uint64_t narrow = 0;
    if (!Narrowed(key, &narrow)) {
      return kNoWindow;  // a character no window holds
    }
    for (uint32_t w = directory_[bucket]; w < directory_[bucket + 1]; ++w) {
      if (narrow_windows_[w] == narrow) {
        return w;
      }
    }
    return kNoWindow;
  }
  for (uint32_t w = directory_[bucket]; w < directory_[bucket + 1]; ++w) {
    if (windows_[w] == key) {
      return w;
    }
  }
  return kNoWindow;
}

void FactorIndex::AppendRulesOf(uint32_t window, std::vector<uint32_t>* rules) const {
  rules->insert(rules->end(), rules_.begin() + rules_begin_[window],
                rules_.begin() + rules_begin_[window + 1]);
}

// Every window of the text that starts at each position and has a length some indexed
// window has, tried against the filter first. A window found among the last few found adds
// nothing, and the rules appended are sorted and made unique whenever they have doubled, so
// that a long address repeating a few windows (say 100,000 "a") neither fills memory nor
// leaves a long list to sort.
void FactorIndex::FindRules(std::u16string_view text, std::vector<uint32_t>* rules) const {
  if (window_count() == 0) {
    return;
  }
  const size_t longest = CeilLog2(size_t{lengths_} + 1);
  const uint64_t mask = filter_.size() * 64 - 1;
  const size_t first = rules->size();
  size_t compact_at = first + kCompactEvery;
  uint32_t recent[kRecentWindows];
  std::fill(std::begin(recent), std::end(recent), kNoWindow);
  size_t next_recent = 0;
  for (size_t start = 0; start < text.size(); ++start) {
    WindowKey key;
    const size_t end = std::min(longest, text.size() - start);
    for (size_t length = 1; length <= end; ++length) {
      PutCharacter(&key, length - 1, text[start + length - 1]);
      if ((lengths_ >> (length - 1) & 1) == 0) {
        continue;
      }
      const WindowKey sized = WithLength(key, length);
      const uint64_t hash = WindowHash(sized);
      if ((filter_[(hash & mask) / 64] >> (hash & 63) & 1) == 0) {
        continue;
      }
      const uint32_t window = FindWindow(sized, hash);
      if (window == kNoWindow ||
          std::find(std::begin(recent), std::end(recent), window) != std::end(recent)) {
        continue;
      }
      recent[next_recent++ % kRecentWindows] = window;
      AppendRulesOf(window, rules);
      if (rules->size() >= compact_at) {
        std::sort(rules->begin() + first, rules->end());
        rules->erase(std::unique(rules->begin() + first, rules->end()), rules->end());
        compact_at = rules->size() + std::max(kCompactEvery, rules->size() - first);
      }
    }
  }
}

size_t FactorIndex::memory() const {
  return filter_.capacity() * sizeof(uint64_t) + directory_.capacity() * sizeof(uint32_t) +
         windows_.capacity() * sizeof(WindowKey) + narrow_windows_.capacity() * sizeof(uint64_t) +
         (rules_begin_.capacity() + rules_.capacity()) * sizeof(uint32_t);
}

}  // namespace zelk
