// The part of each rule's required text that the factor index holds. A text of up to
// kIndexWindowLength characters is held whole; of a longer one, the window of that length
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
  // Room to count the windows of about `texts` texts.
  explicit FactorWindows(size_t texts);

  // Counts the windows of one text; every rule is counted, then Finish called, before any
  // is chosen.
  void Count(std::u16string_view text);
  void Finish();
  // Asks for the counts of `text`'s windows ahead of choosing among them, so that a caller
  // going through many texts waits on memory for several at once. Texts announced are
  // chosen in the order announced, at most kAhead of them waiting: the places of their
  // windows are worked out once, here, and kept until chosen.
  static constexpr size_t kAhead = 16;
  void Announce(std::u16string_view text);
  // The window to index for `text`, a part of it: the text announced longest ago, else
  // one not announced at all.
  std::u16string_view Choose(std::u16string_view text);

 private:
  // Where the windows of a text of `length` characters may begin: every place, or, in a
  // long text, a few evenly spread from the first character to the last window, so that
  // counting stays cheap on lists of a million rules.
  static size_t OffsetCount(size_t length);
  static size_t Offset(size_t length, size_t choices, size_t choice);
  static constexpr size_t kWindowChoices = 12;

  // A text announced and not yet chosen, with the place of the count of each window it
  // may choose.
  struct Announced {
    const char16_t* text = nullptr;
    size_t length = 0;
    uint32_t places[kWindowChoices] = {};
  };
  // Fills `announced` with the places of `text`'s windows; returns their number.
  size_t PlacesOf(std::u16string_view text, Announced* announced) const;
  std::u16string_view ChooseAmong(std::u16string_view text, const Announced& announced) const;
  void Bump(size_t place);

  // How many windows fell on each place of the table, by their hash, up to 255: a count
  // shared by unlike windows now and then only weighs one choice of a window wrongly.
  std::vector<uint8_t> counts_;
  // A table larger than the processor's caches misses on most counts, so each place is
  // asked for when its window is counted and bumped kPending windows later: the misses of
  // that many windows overlap instead of following one another.
  static constexpr size_t kPending = 128;
  size_t pending_[kPending] = {};
  size_t counted_ = 0;  // windows counted so far
  // Texts announced and not chosen yet: announced_[(first_ + i) % kAhead], i < waiting_.
  Announced announced_[kAhead];
  size_t first_ = 0;
  size_t waiting_ = 0;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_FACTOR_WINDOWS_H_
