// The whole required texts of the rules whose index entry is only a window of a longer
// text, held in one block: the check reads them for the few rules an address is a
// candidate for, before it runs a rule's program. A rule of a few texts looks for each in
// turn; a rule of many has an automaton (Aho-Corasick) that reads the address once,
// character by character, whatever the number of texts. A rule's texts are found from its
// number in a few reads, without a search: the first try of a rule reads list memory
// untouched for long, each read a wait. Pure code.
#ifndef ZELK_URLFILTER_RULE_LITERALS_H_
#define ZELK_URLFILTER_RULE_LITERALS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "urlfilter/text_block.h"

namespace zelk {

class RuleLiterals {
 public:
  // Room for `rules` rules of `characters` characters in all, ahead of adding them.
  void Reserve(size_t rules, size_t characters);
  // Keeps the texts of rule number `rule`, one of which every match holds. Rules are added
  // in ascending order, each once. `*texts` is sorted in the course; the caller may reuse
  // its room. Throws std::length_error past 2^31 characters kept, as KeepTexts does.
  void Add(uint32_t rule, std::vector<std::u16string_view>* texts);
  void Add(uint32_t rule, const std::vector<std::u16string>& texts);
  // Instead of Add, on an empty store: takes over a block of texts that lie one after
  // another, text i at [begins[i], begins[i + 1]), then keeps some of them, rule by rule in
  // ascending order, moving them down in place: the texts are never copied whole. Room is
  // made for `rules` rules kept.
  void TakeTexts(TextBlock&& characters, std::vector<uint32_t>&& begins, size_t rules);
  // Keeps texts [first, first + count) of the block taken as those of rule number `rule`.
  void KeepTexts(uint32_t rule, size_t first, size_t count);
  // Done adding: the texts go one byte a character when every one of them allows it, and
  // the blocks are trimmed to their size where much room is left over.
  void Finish();
  // True when `text` holds one of the texts of `rule`, or `rule` has none kept.
  bool AnyIn(uint32_t rule, std::u16string_view text) const;
  size_t memory() const;

 private:
  // The rules kept among 64 numbered alike: bit r % 64 for rule r, and how many rules
  // before the first of them are kept, so that a rule's place among those kept is a count
  // of bits.
  struct RankBlock {
    uint64_t kept = 0;
    uint32_t before = 0;
  };
  // A rule of several texts, or of an automaton: its texts begin at character `begin`, and
  // each at begins_[first_text, the next one's first_text); its automaton's first state is
  // `root`, or kNoState.
  struct Several {
    uint32_t begin;
    uint32_t first_text;
    uint32_t root;
  };
  static constexpr uint32_t kNoState = UINT32_MAX;
  static constexpr uint32_t kNotKept = UINT32_MAX;
  // Marks a span of a rule of several texts; the other bits are its place in several_.
  static constexpr uint32_t kSeveral = uint32_t{1} << 31;

  // Notes `rule` kept, after every rule kept before it: its texts begin at character
  // `begin`, and are one text, or several, or an automaton, of `root`.
  void Mark(uint32_t rule, size_t begin, bool several, uint32_t root);
  // The place of `rule` among those kept, or kNotKept.
  uint32_t Rank(uint32_t rule) const;
  // Where the texts of the rule kept in place `kept` begin in characters_.
  size_t SpanBegin(uint32_t kept) const;
  bool SeveralIn(uint32_t several, size_t span_end, std::u16string_view text) const;
  // Builds the automaton of `texts`, sorted and each once, and returns its first state.
  uint32_t BuildAutomaton(const std::vector<std::u16string_view>& texts);
  uint32_t AddAutomaton(std::vector<std::u16string_view>* texts);
  void AddFailures(uint32_t root);
  // The state reached from `state` by `c` along the texts, or kNoState.
  uint32_t Next(uint32_t state, char16_t c) const;
  bool AutomatonFinds(uint32_t root, std::u16string_view text) const;

  std::vector<RankBlock> ranks_;  // by rule / 64
  // By place among the rules kept: where its texts begin in characters_, or, for a rule
  // of other than one text, kSeveral and its place in several_. A rule of one text, nearly
  // every rule of a list of sites, is its whole span, which ends where the next rule's
  // begins: a first try of it reads two neighbouring words here, and its text.
  std::vector<uint32_t> spans_;
  std::vector<Several> several_;
  TextBlock characters_;          // every text looked for in turn, one after another
  std::vector<uint32_t> begins_;  // where each text of a rule of several begins
  // While texts taken over are kept: where the next one kept goes.
  bool taken_ = false;
  size_t kept_texts_ = 0;
  size_t kept_characters_ = 0;
  // The automata's states: the edges of state s are edge_characters_ and edge_targets_
  // [edge_begin_[s], edge_begin_[s + 1]), ascending by character; fail_[s] is the state of the
  // longest proper end of the text that leads to s which begins some text, and ends_[s] says
  // whether a text ends at s or at a state its failures lead to.
  std::vector<uint32_t> edge_begin_;
  std::vector<char16_t> edge_characters_;
  std::vector<uint32_t> edge_targets_;
  std::vector<uint32_t> fail_;
  std::vector<bool> ends_;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_RULE_LITERALS_H_
