// The whole required texts of the rules whose index entry is only a window of a longer
// text, held in one block: the check reads them for the few rules an address is a
// candidate for, before it runs a rule's program. Pure code.
#ifndef ZELK_URLFILTER_RULE_LITERALS_H_
#define ZELK_URLFILTER_RULE_LITERALS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelk {

class RuleLiterals {
 public:
  // Keeps the texts of rule number `rule`, one of which every match holds. Rules are added
  // in ascending order, each once.
  void Add(uint32_t rule, std::vector<std::u16string> texts);
  // Done adding: the block is trimmed to its size.
  void Finish();
  // True when `text` holds one of the texts of `rule`, or `rule` has none kept.
  bool AnyIn(uint32_t rule, std::u16string_view text) const;
  size_t memory() const;

 private:
  std::u16string_view Text(size_t i) const;
  // Whether one of the texts [first, end), ascending, begins `text`.
  bool BeginsWithAny(size_t first, size_t end, std::u16string_view text) const;

  // (rule, index of its first text), by rule; its texts end where the next rule's begin.
  std::vector<std::pair<uint32_t, uint32_t>> firsts_;
  std::u16string characters_;     // every text, one after another, each rule's ascending
  std::vector<uint32_t> begins_;  // where each text begins in characters_
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_RULE_LITERALS_H_
