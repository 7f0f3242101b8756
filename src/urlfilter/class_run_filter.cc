#include "urlfilter/class_run_filter.h"

#include <algorithm>

namespace zelk {
namespace {

constexpr size_t kWordBits = 64;
constexpr uint32_t kAscii = 128;
constexpr uint32_t kPastLastCharacter = 0x10000;

// The words under way fit in the bits of one word.
static_assert(ClassRunFilter::kMaxWords <= kWordBits, "one bit per word of runs");

size_t RangeCount(const std::vector<CharacterSet>& sets) {
  size_t ranges = 0;
  for (const CharacterSet& set : sets) {
    ranges += set.size();
  }
  return ranges;
}

uint64_t RunHash(const std::vector<CharacterSet>& sets) {
  uint64_t hash = sets.size();
  for (const CharacterSet& set : sets) {
    for (const ClassMember& range : set) {
      hash = (hash ^ (uint64_t{range.low} << 16 | range.high)) * 0x100000001B3ull;
    }
    hash = (hash ^ 0xFFFFFFFFull) * 0x100000001B3ull;  // where one set ends
  }
  return hash;
}

bool SameSets(const std::vector<CharacterSet>& a, const std::vector<CharacterSet>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const CharacterSet& x, const CharacterSet& y) {
                      return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                                        [](const ClassMember& p, const ClassMember& q) {
                                          return p.low == q.low && p.high == q.high;
                                        });
                    });
}

// The number of the lowest set bit of a word that is not 0 (every compiler that builds
// this library, GCC, Clang and MinGW, has the builtin).
size_t CountTrailingZeros(uint64_t word) {
  return static_cast<size_t>(__builtin_ctzll(word));
}

}  // namespace

size_t ClassRunFilter::FindRun(const std::vector<CharacterSet>& sets) const {
  const auto [first, last] = pending_by_hash_.equal_range(RunHash(sets));
  for (auto it = first; it != last; ++it) {
    if (SameSets(pending_[it->second], sets)) {
      return it->second;
    }
  }
  return pending_.size();
}

// A run never straddles two words, so that shifting a word moves only its own runs.
bool ClassRunFilter::Add(const ClassRun& run, uint32_t rule) {
  const size_t length = run.sets.size();
  if (length == 0 || length > kWordBits) {
    return false;
  }
  const size_t same = FindRun(run.sets);
  if (same == pending_.size()) {
    uint32_t bit = used_bits_;
    if (bit % kWordBits + length > kWordBits) {
      bit += static_cast<uint32_t>(kWordBits - bit % kWordBits);
    }
    const size_t ranges = RangeCount(run.sets);
    if (bit + length > kMaxWords * kWordBits || used_ranges_ + ranges > kMaxRanges) {
      return false;
    }
    pending_by_hash_.emplace(RunHash(run.sets), static_cast<uint32_t>(same));
    pending_.push_back(run.sets);
    pending_bits_.push_back(bit);
    used_bits_ = bit + static_cast<uint32_t>(length);
    used_ranges_ += ranges;
  }
  pending_run_of_rule_.push_back(static_cast<uint32_t>(same));
  rules_.push_back(rule);
  return true;
}

uint32_t ClassRunFilter::LetterOf(char16_t c) const {
  return static_cast<uint32_t>(std::upper_bound(breaks_.begin(), breaks_.end(), c) -
                               breaks_.begin() - 1);
}

void ClassRunFilter::GroupRulesByRun() {
  run_rules_begin_.assign(pending_.size() + 1, 0);
  for (const uint32_t run : pending_run_of_rule_) {
    ++run_rules_begin_[run + 1];
  }
  for (size_t r = 1; r < run_rules_begin_.size(); ++r) {
    run_rules_begin_[r] += run_rules_begin_[r - 1];
  }
  std::vector<uint32_t> grouped(rules_.size());
  std::vector<uint32_t> placed(run_rules_begin_.begin(), run_rules_begin_.end() - 1);
  for (size_t i = 0; i < rules_.size(); ++i) {
    grouped[placed[pending_run_of_rule_[i]]++] = rules_[i];
  }
  rules_ = std::move(grouped);
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
  run_at_bit_.assign(words_ * kWordBits, 0);
  for (size_t r = 0; r < pending_.size(); ++r) {
    const uint32_t first = pending_bits_[r];
    const uint32_t last = first + static_cast<uint32_t>(pending_[r].size()) - 1;
    first_bits_[first / kWordBits] |= uint64_t{1} << (first % kWordBits);
    last_bits_[last / kWordBits] |= uint64_t{1} << (last % kWordBits);
    run_at_bit_[last] = static_cast<uint32_t>(r);
    for (uint32_t i = 0; i < pending_[r].size(); ++i) {
      for (const ClassMember& range : pending_[r][i]) {
        for (uint32_t letter = LetterOf(range.low); letter <= LetterOf(range.high); ++letter) {
          masks_[letter * words_ + (first + i) / kWordBits] |= uint64_t{1}
                                                               << ((first + i) % kWordBits);
        }
      }
    }
  }
  FinishLetters(letters);
  GroupRulesByRun();
  std::vector<std::vector<CharacterSet>>().swap(pending_);
  std::vector<uint32_t>().swap(pending_bits_);
  std::vector<uint32_t>().swap(pending_run_of_rule_);
  std::unordered_multimap<uint64_t, uint32_t>().swap(pending_by_hash_);
}

void ClassRunFilter::FinishLetters(size_t letters) {
  starting_words_.assign(letters, 0);
  for (size_t letter = 0; letter < letters; ++letter) {
    for (size_t w = 0; w < words_; ++w) {
      if ((masks_[letter * words_ + w] & first_bits_[w]) != 0) {
        starting_words_[letter] |= uint64_t{1} << w;
      }
    }
  }
  ascii_letters_.resize(kAscii);
  for (uint32_t c = 0; c < kAscii; ++c) {
    ascii_letters_[c] = LetterOf(static_cast<char16_t>(c));
  }
}

void ClassRunFilter::AppendRulesEndingIn(size_t word,
                                         uint64_t ended,
                                         std::vector<uint32_t>* rules) const {
  for (; ended != 0; ended &= ended - 1) {
    const size_t run = run_at_bit_[word * kWordBits + CountTrailingZeros(ended)];
    rules->insert(rules->end(), rules_.begin() + run_rules_begin_[run],
                  rules_.begin() + run_rules_begin_[run + 1]);
  }
}

// Only the words where a run is under way (`live`) or can begin with the character are
// moved: every other word stays all zero.
void ClassRunFilter::FindRules(std::u16string_view text, std::vector<uint32_t>* rules) const {
  if (words_ == 0) {
    return;
  }
  uint64_t state[kMaxWords] = {};
  uint64_t found[kMaxWords] = {};
  uint64_t live = 0;
  for (const char16_t c : text) {
    const uint32_t letter = c < kAscii ? ascii_letters_[c] : LetterOf(c);
    const uint64_t* row = &masks_[letter * words_];
    for (uint64_t moved = live | starting_words_[letter]; moved != 0; moved &= moved - 1) {
      const size_t w = CountTrailingZeros(moved);
      state[w] = ((state[w] << 1) | first_bits_[w]) & row[w];
      live = state[w] != 0 ? live | uint64_t{1} << w : live & ~(uint64_t{1} << w);
      const uint64_t ended = state[w] & last_bits_[w] & ~found[w];
      if (ended != 0) {
        found[w] |= ended;
        AppendRulesEndingIn(w, ended, rules);
      }
    }
  }
}

size_t ClassRunFilter::memory() const {
  return (first_bits_.capacity() + last_bits_.capacity() + masks_.capacity() +
          starting_words_.capacity()) *
             sizeof(uint64_t) +
         (run_at_bit_.capacity() + breaks_.capacity() + ascii_letters_.capacity() +
          run_rules_begin_.capacity() + rules_.capacity()) *
             sizeof(uint32_t);
}

}  // namespace zelk
