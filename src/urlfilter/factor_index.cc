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

// The entries in the order of their directory bucket (a counting sort), each bucket then
// sorted by window and rule. Buckets hold about one entry each. `bucket_begin` comes with
// one place per bucket and one more, all zero, and leaves with where each bucket begins
// and, last, the number of entries.
std::vector<Entry> SortedByBucket(const std::vector<Entry>& entries,
                                  uint32_t shift,
                                  std::vector<uint32_t>* bucket_begin) {
  std::vector<uint32_t> buckets(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    buckets[i] = static_cast<uint32_t>(WindowHash(entries[i].key) >> shift);
    ++(*bucket_begin)[buckets[i]];
  }
  // Each bucket's end; placing an entry moves its bucket's end down, to its beginning.
  std::partial_sum(bucket_begin->begin(), bucket_begin->end(), bucket_begin->begin());
  std::vector<Entry> sorted(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    sorted[--(*bucket_begin)[buckets[i]]] = entries[i];
  }
  for (size_t b = 0; b + 1 < bucket_begin->size(); ++b) {
    if ((*bucket_begin)[b + 1] - (*bucket_begin)[b] > 1) {  // most hold one entry or none
      std::sort(sorted.begin() + (*bucket_begin)[b], sorted.begin() + (*bucket_begin)[b + 1],
                EntryLess);
    }
  }
  return sorted;
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
  std::vector<uint32_t> bucket_begin((size_t{1} << bits) + 1, 0);
  const std::vector<Entry> sorted = SortedByBucket(entries, directory_shift_, &bucket_begin);
  std::vector<Entry>().swap(entries);
  directory_.assign(bucket_begin.size(), 0);
  // At most one window and one rule per item: room up front spares growing by doubling,
  // which would leave up to half of a large list's index unused.
  windows_.reserve(sorted.size());
  rules_begin_.reserve(sorted.size() + 1);
  rules_.reserve(sorted.size());
  for (size_t b = 0; b + 1 < bucket_begin.size(); ++b) {
    directory_[b] = static_cast<uint32_t>(windows_.size());
    for (uint32_t i = bucket_begin[b]; i < bucket_begin[b + 1]; ++i) {
      const bool new_window = i == bucket_begin[b] || !(sorted[i].key == sorted[i - 1].key);
      if (new_window) {
        windows_.push_back(sorted[i].key);
        rules_begin_.push_back(static_cast<uint32_t>(rules_.size()));
      }
      if (new_window || sorted[i].rule != sorted[i - 1].rule) {
        rules_.push_back(sorted[i].rule);
      }
    }
  }
  directory_.back() = static_cast<uint32_t>(windows_.size());
  rules_begin_.push_back(static_cast<uint32_t>(rules_.size()));
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
