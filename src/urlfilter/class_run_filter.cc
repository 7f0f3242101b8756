#include "urlfilter/class_run_filter.h"

#include <algorithm>

namespace zelk {
namespace {

constexpr size_t kWordBits = 64;
constexpr uint32_t kAscii = 128;
constexpr uint32_t kPastLastCharacter = 0x10000;

size_t RangeCount(const std::vector<CharacterSet>& sets) {
  size_t ranges = 0;
  for (const CharacterSet& set : sets) {
    ranges += set.size();
  }
  return ranges;
}

}  // namespace

// A run never straddles two words, so that shifting a word moves only its own runs.
bool ClassRunFilter::Add(const ClassRun& run, uint32_t rule) {
  const size_t length = run.sets.size();
  if (length == 0 || length > kWordBits) {
    return false;
  }
  uint32_t bit = used_bits_;
  if (bit % kWordBits + length > kWordBits) {
    bit += static_cast<uint32_t>(kWordBits - bit % kWordBits);
  }
  const size_t ranges = RangeCount(run.sets);
  if (bit + length > kMaxWords * kWordBits || used_ranges_ + ranges > kMaxRanges) {
    return false;
  }
  pending_.push_back(run.sets);
  pending_bits_.push_back(bit);
  run_rules_.push_back(rule);
  used_bits_ = bit + static_cast<uint32_t>(length);
  used_ranges_ += ranges;
  return true;
}

uint32_t ClassRunFilter::LetterOf(char16_t c) const {
  return static_cast<uint32_t>(std::upper_bound(breaks_.begin(), breaks_.end(), c) -
                               breaks_.begin() - 1);
}

void ClassRunFilter::Finish() {
  words_ = (used_bits_ + kWordBits - 1) / kWordBits;
  breaks_ = {0, kPastLastCharacter};
  for (const std::vector<CharacterSet>& sets : pending_) {
    for (const CharacterSet& set : sets) {
      for (const ClassMember& range : set) {
        breaks_.push_back(range.low);
        breaks_.push_back(range.high + 1u);
      }
    }
  }
  std::sort(breaks_.begin(), breaks_.end());
  breaks_.erase(std::unique(breaks_.begin(), breaks_.end()), breaks_.end());
  const size_t letters = breaks_.size() - 1;
  masks_.assign(letters * words_, 0);
  first_bits_.assign(words_, 0);
  last_bits_.assign(words_, 0);
  rule_at_bit_.assign(words_ * kWordBits, 0);
  for (size_t r = 0; r < pending_.size(); ++r) {
    const uint32_t first = pending_bits_[r];
    const uint32_t last = first + static_cast<uint32_t>(pending_[r].size()) - 1;
    first_bits_[first / kWordBits] |= uint64_t{1} << (first % kWordBits);
    last_bits_[last / kWordBits] |= uint64_t{1} << (last % kWordBits);
    rule_at_bit_[last] = run_rules_[r];
    for (uint32_t i = 0; i < pending_[r].size(); ++i) {
      for (const ClassMember& range : pending_[r][i]) {
        for (uint32_t letter = LetterOf(range.low); letter <= LetterOf(range.high); ++letter) {
          masks_[letter * words_ + (first + i) / kWordBits] |= uint64_t{1}
                                                               << ((first + i) % kWordBits);
        }
      }
    }
  }
  ascii_letters_.resize(kAscii);
  for (uint32_t c = 0; c < kAscii; ++c) {
    ascii_letters_[c] = LetterOf(static_cast<char16_t>(c));
  }
  std::vector<std::vector<CharacterSet>>().swap(pending_);
  std::vector<uint32_t>().swap(pending_bits_);
}

void ClassRunFilter::FindRules(std::u16string_view text, std::vector<uint32_t>* rules) const {
  if (words_ == 0) {
    return;
  }
  uint64_t state[kMaxWords] = {};
  uint64_t found[kMaxWords] = {};
  for (const char16_t c : text) {
    const uint64_t* row = &masks_[(c < kAscii ? ascii_letters_[c] : LetterOf(c)) * words_];
    for (size_t w = 0; w < words_; ++w) {
      state[w] = ((state[w] << 1) | first_bits_[w]) & row[w];
      const uint64_t ended = state[w] & last_bits_[w] & ~found[w];
      if (ended == 0) {
        continue;
      }
      found[w] |= ended;
      for (size_t bit = 0; bit < kWordBits; ++bit) {
        if ((ended >> bit & 1) != 0) {
          rules->push_back(rule_at_bit_[w * kWordBits + bit]);
        }
      }
    }
  }
}

size_t ClassRunFilter::memory() const {
  return (first_bits_.capacity() + last_bits_.capacity() + masks_.capacity()) * sizeof(uint64_t) +
         (rule_at_bit_.capacity() + breaks_.capacity() + ascii_letters_.capacity() +
          run_rules_.capacity()) *
             sizeof(uint32_t);
}

}  // namespace zelk
