#include "urlfilter/factor_index.h"

#include <algorithm>
#include <numeric>
#include <tuple>
#include <utility>

namespace zelk {
namespace {

// Filter bits per window: about one window of an address in sixteen that no rule holds
// passes the filter and is looked up in the directory.
constexpr size_t kFilterBitsPerWindow = 16;
constexpr size_t kMinFilterBits = 4096;

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

// Puts `entries` in the order of their directory bucket in place, each bucket then sorted
// by window and rule; buckets hold about one entry each. Sorting in place spares a second
// array of a million entries, fresh memory that would cost more than the sorting itself.
// Returns where each bucket begins, one place per bucket and, last, the number of entries.
std::vector<uint32_t> SortByBucket(std::vector<Entry>* entries, uint32_t bits) {
  const uint32_t shift = 64 - bits;
  const auto bucket_of = [shift](const Entry& entry) {
    return static_cast<uint32_t>(WindowHash(entry.key) >> shift);
  };
  std::vector<uint32_t> begin((size_t{1} << bits) + 1, 0);
  for (const Entry& entry : *entries) {
    ++begin[bucket_of(entry) + 1];
  }
  std::partial_sum(begin.begin(), begin.end(), begin.begin());
  // Each bucket's next free place; an entry is swapped into the bucket it belongs in until
  // the one that belongs where it stands comes back.
  std::vector<uint32_t> next(begin.begin(), begin.end() - 1);
  for (uint32_t b = 0; b + 1 < begin.size(); ++b) {
    for (uint32_t i = next[b]; i < begin[b + 1]; i = next[b]) {
      const uint32_t home = bucket_of((*entries)[i]);
      if (home != b) {
        std::swap((*entries)[i], (*entries)[next[home]]);
      }
      ++next[home];
    }
  }
  for (uint32_t b = 0; b + 1 < begin.size(); ++b) {
    if (begin[b + 1] - begin[b] > 1) {  // most hold one entry or none
      std::sort(entries->begin() + begin[b], entries->begin() + begin[b + 1], EntryLess);
    }
  }
  return begin;
}

}  // namespace

FactorIndex::FactorIndex(std::vector<Entry>&& entries) {
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [](const Entry& entry) { return LengthOf(entry.key) == 0; }),
                entries.end());
  for (const Entry& entry : entries) {
    lengths_ |= 1u << (LengthOf(entry.key) - 1);
  }
  const uint32_t bits = std::max<uint32_t>(1, CeilLog2(entries.size()));
  directory_shift_ = 64 - bits;
  directory_ = SortByBucket(&entries, bits);
  // At most one window and one rule per entry: room up front spares growing by doubling,
  // which would leave up to half of a large list's index unused.
  windows_.reserve(entries.size());
  rules_begin_.reserve(entries.size() + 1);
  rules_.reserve(entries.size());
  // Each bucket's first entry becomes its first window, in place: the place of the next
  // bucket is read before it is overwritten.
  uint32_t first = 0;
  for (size_t b = 0; b + 1 < directory_.size(); ++b) {
    const uint32_t end = directory_[b + 1];
    directory_[b] = static_cast<uint32_t>(windows_.size());
    for (uint32_t i = first; i < end; ++i) {
      const bool new_window = i == first || !(entries[i].key == entries[i - 1].key);
      if (new_window) {
        windows_.push_back(entries[i].key);
        rules_begin_.push_back(static_cast<uint32_t>(rules_.size()));
      }
      if (new_window || entries[i].rule != entries[i - 1].rule) {
        rules_.push_back(entries[i].rule);
      }
    }
    first = end;
  }
  directory_.back() = static_cast<uint32_t>(windows_.size());
  rules_begin_.push_back(static_cast<uint32_t>(rules_.size()));
  std::vector<Entry>().swap(entries);
  BuildFilter();
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

void FactorIndex::AppendRulesOf(const WindowKey& key,
                                uint64_t hash,
                                std::vector<uint32_t>* rules) const {
  const uint64_t bucket = hash >> directory_shift_;
  for (uint32_t w = directory_[bucket]; w < directory_[bucket + 1]; ++w) {
    if (windows_[w] == key) {
      rules->insert(rules->end(), rules_.begin() + rules_begin_[w],
                    rules_.begin() + rules_begin_[w + 1]);
      return;
    }
  }
}

// Every window of the text that starts at each position and has a length some indexed
// window has, tried against the filter first.
void FactorIndex::FindRules(std::u16string_view text, std::vector<uint32_t>* rules) const {
  if (windows_.empty()) {
    return;
  }
  const size_t longest = CeilLog2(size_t{lengths_} + 1);
  const uint64_t mask = filter_.size() * 64 - 1;
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
      if ((filter_[(hash & mask) / 64] >> (hash & 63) & 1) != 0) {
        AppendRulesOf(sized, hash, rules);
      }
    }
  }
}

size_t FactorIndex::memory() const {
  return filter_.capacity() * sizeof(uint64_t) + directory_.capacity() * sizeof(uint32_t) +
         windows_.capacity() * sizeof(WindowKey) +
         (rules_begin_.capacity() + rules_.capacity()) * sizeof(uint32_t);
}

}  // namespace zelk
