// The part of each rule's required text that the factor index holds. A text of up to
// kMaxFactorLength characters is held whole; of a longer one, the window of that length
// that the fewest other rules of the list hold too, so that an address is a candidate for
// few rules even where hundreds of rules begin alike (one host, one long path). Pure code.
#ifndef ZELK_URLFILTER_FACTOR_WINDOWS_H_
#define ZELK_URLFILTER_FACTOR_WINDOWS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

class FactorWindows {
 public:
  // Counts the windows of one rule's texts; every rule is counted before any is chosen.
  void Count(const std::vector<std::u16string>& texts);
  // Done counting: the counts may be read.
  void Finish();
  // The windows to index for `texts`, one per text, each a part of it.
  std::vector<std::u16string> Choose(const std::vector<std::u16string>& texts) const;

 private:
  // Where the windows of a text of `length` characters may begin: evenly spread from the
  // first character to the last window, a few of them, so that counting stays cheap on
  // lists of a million rules.
  static std::vector<size_t> Offsets(size_t length);
  size_t Shared(std::u16string_view window) const;

  std::vector<uint64_t> hashes_;  // one per window counted; sorted by Finish
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_FACTOR_WINDOWS_H_
