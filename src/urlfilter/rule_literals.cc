#include "urlfilter/rule_literals.h"

#include <algorithm>

namespace zelk {

void RuleLiterals::Add(uint32_t rule, std::vector<std::u16string> texts) {
  firsts_.emplace_back(rule, static_cast<uint32_t>(pending_.size()));
  for (std::u16string& text : texts) {
    pending_.push_back(std::move(text));
  }
}

void RuleLiterals::Finish() {
  texts_ = LineTexts(pending_);
  std::vector<std::u16string>().swap(pending_);
  firsts_.shrink_to_fit();
}

bool RuleLiterals::AnyIn(uint32_t rule, std::u16string_view text) const {
  const auto found =
      std::lower_bound(firsts_.begin(), firsts_.end(), std::make_pair(rule, uint32_t{0}));
  if (found == firsts_.end() || found->first != rule) {
    return true;
  }
  const size_t end = found + 1 != firsts_.end() ? (found + 1)->second : texts_.size();
  for (size_t i = found->second; i < end; ++i) {
    if (text.find(texts_.Line(i)) != std::u16string_view::npos) {
      return true;
    }
  }
  return false;
}

size_t RuleLiterals::memory() const {
  return texts_.memory() + firsts_.capacity() * sizeof(firsts_[0]);
}

}  // namespace zelk
