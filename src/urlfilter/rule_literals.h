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

#include "urlfilter/line_texts.h"

namespace zelk {

class RuleLiterals {
 public:
  // Keeps the texts of rule number `rule`, one of which every match holds. Rules are added
  // in ascending order, each once.
  void Add(uint32_t rule, std::vector<std::u16string> texts);
  // Done adding: the texts move into one block.
  void Finish();
  // True when `text` holds one of the texts of `rule`, or `rule` has none kept.
  bool AnyIn(uint32_t rule, std::u16string_view text) const;
  size_t memory() const;

 private:
  std::vector<std::u16string> pending_;  // until Finish
  // (rule, index of its first text), by rule; its texts end where the next rule's begin.
  std::vector<std::pair<uint32_t, uint32_t>> firsts_;
  LineTexts texts_;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_RULE_LITERALS_H_
