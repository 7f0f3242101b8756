// A set of texts kept in one buffer, for lists of a million entries: no allocation per
// text, lookups by string_view (so a suffix of a name needs no copy), and each text has a
// number by which it can be read back. Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_IMPORT_TEXT_SET_H_
#define ZELK_TOOLS_ZELKCTL_IMPORT_TEXT_SET_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::tools {

class TextSet {
 public:
  static constexpr size_t kAbsent = static_cast<size_t>(-1);

  // Makes room for `count` texts of `bytes` bytes in all, so that adding them does not
  // grow the table or the buffer again.
  void Reserve(size_t count, size_t bytes);
  // The number of the text, or kAbsent.
  size_t Find(std::string_view text) const;
  bool Contains(std::string_view text) const { return Find(text) != kAbsent; }
  // Adds the text unless it is there. Returns its number (numbers count up from 0 in the
  // order texts were first added); `added` tells whether it was new.
  size_t Insert(std::string_view text, bool* added);
  // The text numbered `number`, valid until the next Insert.
  std::string_view Text(size_t number) const;
  size_t size() const { return starts_.size(); }
  // Bytes of text, all texts together.
  size_t bytes() const { return buffer_.size(); }

 private:
  // One place of the open-addressing table: the number of a text plus one (0: empty) and
  // its hash, compared before the text itself.
  struct Slot {
    size_t number_plus_one = 0;
    size_t hash = 0;
  };
  // The place holding `text`, or the empty place where it would go.
  size_t Place(std::string_view text, size_t hash) const;
  void Rehash(size_t slot_count);

  std::string buffer_;          // every text, one after the other
  std::vector<size_t> starts_;  // where each text starts in the buffer
  std::vector<Slot> slots_;     // a power of two in size, at most half full
};

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_IMPORT_TEXT_SET_H_
