// Finds, in one pass over an address, every rule whose run of character sets (ClassRun)
// occurs in it. The runs are laid side by side in the bits of a few 64-bit words and moved
// along the address all at once (shift-and): each character costs one table row and a
// shift, a mask and a test per word, however many runs there are. Pure code.
#ifndef ZELK_URLFILTER_CLASS_RUN_FILTER_H_
#define ZELK_URLFILTER_CLASS_RUN_FILTER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "urlfilter/class_runs.h"

namespace zelk {

class ClassRunFilter {
 public:
  // Runs of all rules hold at most this many words of bits and ranges of characters
  // together, which bounds the tables and the work per character; a rule whose run does
  // not fit is left to the caller.
  static constexpr size_t kMaxWords = 64;
  static constexpr size_t kMaxRanges = 8192;

  // Adds the run of rule `rule`; false (nothing added) when it is empty or does not fit.
  bool Add(const ClassRun& run, uint32_t rule);
  // Done adding: builds the tables.
  void Finish();

  // Appends to `rules` every rule whose run occurs in `text`, once each.
  void FindRules(std::u16string_view text, std::vector<uint32_t>* rules) const;

  size_t run_count() const { return run_rules_.size(); }
  size_t memory() const;

 private:
  uint32_t LetterOf(char16_t c) const;

  // While adding: each run's sets and where its first bit lies.
  std::vector<std::vector<CharacterSet>> pending_;
  std::vector<uint32_t> pending_bits_;
  uint32_t used_bits_ = 0;
  size_t used_ranges_ = 0;

  size_t words_ = 0;
  std::vector<uint64_t> first_bits_;   // per word: the first bit of each run
  std::vector<uint64_t> last_bits_;    // per word: the last bit of each run
  std::vector<uint32_t> rule_at_bit_;  // the rule whose run ends at a bit
  // Characters fall into letters, ranges that no set tells apart: letter k is
  // [breaks_[k], breaks_[k + 1]). masks_ holds, per letter, per word, the sets that hold it.
  std::vector<uint32_t> breaks_;
  std::vector<uint32_t> ascii_letters_;  // the letter of each character below 128
  std::vector<uint64_t> masks_;
  std::vector<uint32_t> run_rules_;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_CLASS_RUN_FILTER_H_
