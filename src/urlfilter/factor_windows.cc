#include "urlfilter/factor_windows.h"

#include <algorithm>
#include <limits>

#include "urlfilter/literal_factors.h"

namespace zelk {
namespace {

// Windows considered in one long text.
constexpr size_t kWindowChoices = 8;

uint64_t WindowHash(std::u16string_view window) {
  uint64_t hash = 14695981039346656037ull;
  for (const char16_t c : window) {
    hash = (hash ^ c) * 1099511628211ull;
  }
  return hash;
}

}  // namespace

std::vector<size_t> FactorWindows::Offsets(size_t length) {
  std::vector<size_t> offsets;
  if (length <= kMaxFactorLength) {
    return offsets;
  }
  const size_t last = length - kMaxFactorLength;
  const size_t choices = std::min(kWindowChoices, last + 1);
  for (size_t i = 0; i < choices; ++i) {
    offsets.push_back(choices == 1 ? 0 : last * i / (choices - 1));
  }
  return offsets;
}

void FactorWindows::Count(const std::vector<std::u16string>& texts) {
  for (const std::u16string& text : texts) {
    for (const size_t offset : Offsets(text.size())) {
      hashes_.push_back(WindowHash(std::u16string_view(text).substr(offset, kMaxFactorLength)));
    }
  }
}

void FactorWindows::Finish() {
  std::sort(hashes_.begin(), hashes_.end());
}

size_t FactorWindows::Shared(std::u16string_view window) const {
  const auto range = std::equal_range(hashes_.begin(), hashes_.end(), WindowHash(window));
  return static_cast<size_t>(range.second - range.first);
}

// On equal counts the later window wins: the end of a long path or host names the file or
// site, where its beginning is often shared.
std::vector<std::u16string> FactorWindows::Choose(const std::vector<std::u16string>& texts) const {
  std::vector<std::u16string> windows;
  windows.reserve(texts.size());
  for (const std::u16string& text : texts) {
    const std::vector<size_t> offsets = Offsets(text.size());
    if (offsets.empty()) {
      windows.push_back(text);
      continue;
    }
    std::u16string_view best;
    size_t fewest = std::numeric_limits<size_t>::max();
    for (const size_t offset : offsets) {
      const std::u16string_view window = std::u16string_view(text).substr(offset, kMaxFactorLength);
      const size_t shared = Shared(window);
      if (shared <= fewest) {
        fewest = shared;
        best = window;
      }
    }
    windows.emplace_back(best);
  }
  return windows;
}

}  // namespace zelk
