// Finds, in one pass over an address, every rule whose run of character sets (ClassRun)
// occurs in it. The runs are laid side by side in the bits of a few 64-bit words and moved
// along the address all at once (shift-and): each character costs one table row and a
// shift, a mask and a test per word, however many runs there are. Rules that share a run
// share its bits, and a character touches only the words where a run is under way or can
// begin with it, so an address mostly of letters passes over runs that begin with "/" or a
// digit at almost no cost. Pure code.
#ifndef ZELK_URLFILTER_CLASS_RUN_FILTER_H_
#define ZELK_URLFILTER_CLASS_RUN_FILTER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
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
  // A run already added for another rule takes no more room.
  bool Add(const ClassRun& run, uint32_t rule);
  // Done adding: builds the tables.
  void Finish();

  // Appends to `rules` every rule whose run occurs in `text`, once each.
  void FindRules(std::u16string_view text, std::vector<uint32_t>* rules) const;

  // Once finished: the distinct runs that stand for the rules added.
  size_t run_count() const { return run_rules_begin_.empty() ? 0 : run_rules_begin_.size() - 1; }
  size_t memory() const;

 private:
  uint32_t LetterOf(char16_t c) const;
  // The number of an equal run added before, else the number of runs added so far.
  size_t FindRun(const std::vector<CharacterSet>& sets) const;
  // Lays the rules out run by run (a counting sort).
  void GroupRulesByRun();
  // The letters' table for characters below 128, and the words each letter begins a run in.
  void FinishLetters(size_t letters);
  void AppendRulesEndingIn(size_t word, uint64_t ended, std::vector<uint32_t>* rules) const;

  // While adding: each distinct run's sets, where its first bit lies, and the run of each
  // rule added, in the order added; a hash of the sets finds an equal run.
  std::vector<std::vector<CharacterSet>> pending_;
  std::vector<uint32_t> pending_bits_;
  std::vector<uint32_t> pending_run_of_rule_;
  std::unordered_multimap<uint64_t, uint32_t> pending_by_hash_;
  uint32_t used_bits_ = 0;
  size_t used_ranges_ = 0;

  size_t words_ = 0;
  std::vector<uint64_t> first_bits_;  // per word: the first bit of each run
  std::vector<uint64_t> last_bits_;   // per word: the last bit of each run
  std::vector<uint32_t> run_at_bit_;  // the run that ends at a bit
  // The rules of run r: rules_[run_rules_begin_[r], run_rules_begin_[r + 1]); while
  // adding, rules_ is in the order added.
  std::vector<uint32_t> run_rules_begin_;
  std::vector<uint32_t> rules_;
  // Characters fall into letters, ranges that no set tells apart: letter k is
  // [breaks_[k], breaks_[k + 1]). masks_ holds, per letter, per word, the sets that hold it.
  std::vector<uint32_t> breaks_;
  std::vector<uint32_t> ascii_letters_;  // the letter of each character below 128
  std::vector<uint64_t> masks_;
  // Per letter, one bit for each word where a run begins with that letter.
  std::vector<uint64_t> starting_words_;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_CLASS_RUN_FILTER_H_
