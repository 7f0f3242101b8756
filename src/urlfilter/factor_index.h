// An index of rules by short windows of the literal text their matches must contain. A
// window of up to kIndexWindowLength characters is packed, with its length, into two
// integers: looking an address up is then, at each of its positions, a few integer
// operations and one bit test per window length in use. Those loads do not depend on one
// another, so the processor overlaps them, where a trie walked character by character waits
// on a cache miss at each step. Pure code.
#ifndef ZELK_URLFILTER_FACTOR_INDEX_H_
#define ZELK_URLFILTER_FACTOR_INDEX_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// The index holds at most this many characters of a factor. Seven 16-bit characters and
// the length fill two 64-bit words exactly, so a window is compared whole, never by a hash
// alone; seven characters of a host or path name are rarely shared by many rules.
inline constexpr size_t kIndexWindowLength = 7;

// A window of 1 to kIndexWindowLength characters, packed: characters 0-3 in `low`,
// 4-6 and the length in `high`.
struct WindowKey {
  uint64_t low = 0;
  uint64_t high = 0;

  friend bool operator==(const WindowKey& a, const WindowKey& b) {
    return a.low == b.low && a.high == b.high;
  }
};

// Packs the first kIndexWindowLength characters of `window` (all of a shorter one). Inline,
// with WindowHash: loading a list packs and hashes every window of every rule, millions.
inline WindowKey PackWindow(std::u16string_view window) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // A whole window is two loads: characters 0-3, and 3-6 shifted down past character 3.
  if (window.size() >= kIndexWindowLength) {
    uint64_t low = 0;
    uint64_t high = 0;
    std::memcpy(&low, window.data(), sizeof low);
    std::memcpy(&high, window.data() + 3, sizeof high);
    return WindowKey{low, high >> 16 | uint64_t{kIndexWindowLength} << 48};
  }
#endif
  const size_t length = std::min(window.size(), kIndexWindowLength);
  WindowKey key;
  for (size_t i = 0; i < length; ++i) {
    if (i < 4) {
      key.low |= uint64_t{window[i]} << (16 * i);
    } else {
      key.high |= uint64_t{window[i]} << (16 * (i - 4));
    }
  }
  key.high |= uint64_t{length} << 48;
  return key;
}

// Asks for the cache line holding `address` ahead of writing it; a hint, without effect
// where the compiler has no way to give it.
inline void Prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address, 1);
#else
  static_cast<void>(address);
#endif
}

// Mixes every bit of the key into every bit of the result.
inline uint64_t WindowHash(const WindowKey& key) {
  uint64_t hash =
      key.low * 0x9E3779B97F4A7C15ull ^ (key.high + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
  hash ^= hash >> 32;
  hash *= 0xD6E8FEB86659FD93ull;
  return hash ^ (hash >> 32);
}

class FactorIndex {
 public:
  // One window of one rule, packed by PackWindow; rules are numbered by the caller. The
  // window of an empty text is not indexed.
  struct Entry {
    WindowKey key;
    uint32_t rule;
  };

  // Takes one entry; an EntryWalk gives every entry of the index to it, in the same order
  // each time it is called.
  using EntrySink = std::function<void(const Entry&)>;
  using EntryWalk = std::function<void(const EntrySink&)>;

  FactorIndex() = default;
  // Indexes the entries `walk` gives, at most `most` of them. The walk is called twice,
  // to count and then to place them, so that a list of a million rules is indexed without
  // an array of its entries beside the index.
  FactorIndex(size_t most, const EntryWalk& walk);

  // Appends to `rules` the number of every rule with an indexed window that occurs in
  // `text`, in no particular order, possibly more than once. A window that occurs again and
  // again, as in a long repetitive address, adds its rules a bounded number of times.
  void FindRules(std::u16string_view text, std::vector<uint32_t>* rules) const;

  size_t window_count() const { return directory_.empty() ? 0 : directory_.back(); }
  // Bytes the index holds.
  size_t memory() const;

 private:
  // The number of the window `key` in windows_, or kNoWindow.
  uint32_t FindWindow(const WindowKey& key, uint64_t hash) const;
  void AppendRulesOf(uint32_t window, std::vector<uint32_t>* rules) const;
  uint32_t BucketOf(const WindowKey& key) const;
  void Place(size_t most, const EntryWalk& walk);
  void MergeBuckets();
  // Sorts windows_ and rules_ [first, end) together, by window and rule, in `scratch`.
  void SortBucket(uint32_t first, uint32_t end, std::vector<Entry>* scratch);
  void BuildFilter();
  // Keeps the windows in 8 bytes each instead of 16 when every character of every one of
  // them is below 256, as in lists of folded host names and paths.
  void NarrowWindows();

  // One bit per filter position: set when some window hashes there. Most windows of an
  // address miss it, and are done with after one load from a table a few bits per window.
  std::vector<uint64_t> filter_;
  // Windows grouped by the top bits of their hash: bucket b holds
  // windows_[directory_[b], directory_[b + 1]).
  std::vector<uint32_t> directory_;
  uint32_t directory_shift_ = 64;
  std::vector<WindowKey> windows_;  // emptied once narrow_windows_ holds them
  std::vector<uint64_t> narrow_windows_;
  std::vector<uint32_t> rules_begin_;  // per window, and one more closing the last
  std::vector<uint32_t> rules_;
  uint32_t lengths_ = 0;  // bit n - 1 set when some window has n characters
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_FACTOR_INDEX_H_
