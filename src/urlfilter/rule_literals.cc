#include "urlfilter/rule_literals.h"

#include <algorithm>

namespace zelk {
namespace {

// A rule keeps up to this many texts looked for one by one; more are looked up in order.
constexpr size_t kScannedLiterals = 8;

}  // namespace

void RuleLiterals::Add(uint32_t rule, std::vector<std::u16string> texts) {
  std::sort(texts.begin(), texts.end());
  firsts_.emplace_back(rule, static_cast<uint32_t>(begins_.size()));
  for (const std::u16string& text : texts) {
    begins_.push_back(static_cast<uint32_t>(characters_.size()));
    characters_ += text;
  }
}

void RuleLiterals::Finish() {
  characters_.shrink_to_fit();
  begins_.shrink_to_fit();
  firsts_.shrink_to_fit();
}

std::u16string_view RuleLiterals::Text(size_t i) const {
  const size_t end = i + 1 < begins_.size() ? begins_[i + 1] : characters_.size();
  return std::u16string_view(characters_).substr(begins_[i], end - begins_[i]);
}

// Every text that begins `text` sorts between itself and `text`, so it also begins the last
// text not greater than `text`: when that one does not begin `text` itself, only the part
// the two share needs looking up again, shorter each time.
bool RuleLiterals::BeginsWithAny(size_t first, size_t end, std::u16string_view text) const {
  while (!text.empty()) {
    size_t low = first;  // the first text greater than `text`, by binary search
    size_t high = end;
    while (low < high) {
      const size_t middle = low + (high - low) / 2;
      if (text < Text(middle)) {
        high = middle;
      } else {
        low = middle + 1;
      }
    }
    if (low == first) {
      return false;
    }
    const std::u16string_view before = Text(low - 1);
    size_t common = 0;
    while (common < before.size() && common < text.size() && before[common] == text[common]) {
      ++common;
    }
    if (common == before.size()) {
      return true;
    }
    text = text.substr(0, common);
  }
  return false;
}

bool RuleLiterals::AnyIn(uint32_t rule, std::u16string_view text) const {
  const auto found =
      std::lower_bound(firsts_.begin(), firsts_.end(), std::make_pair(rule, uint32_t{0}));
  if (found == firsts_.end() || found->first != rule) {
    return true;
  }
  const size_t first = found->second;
  const size_t end = found + 1 != firsts_.end() ? (found + 1)->second : begins_.size();
  if (end - first <= kScannedLiterals) {
    for (size_t i = first; i < end; ++i) {
      if (text.find(Text(i)) != std::u16string_view::npos) {
        return true;
      }
    }
    return false;
  }
  for (size_t start = 0; start < text.size(); ++start) {
    if (BeginsWithAny(first, end, text.substr(start))) {
      return true;
    }
  }
  return false;
}

size_t RuleLiterals::memory() const {
  return characters_.capacity() * sizeof(char16_t) + begins_.capacity() * sizeof(uint32_t) +
         firsts_.capacity() * sizeof(firsts_[0]);
}

}  // namespace zelk
