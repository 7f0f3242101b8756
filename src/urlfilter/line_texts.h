// The lines of a filter file held in one block of text, with the end of each line: a
// list of a million lines costs its text and four bytes a line, where a string per line
// would cost a header and a heap block each, and twice the text in UTF-16. Pure code.
#ifndef ZELK_URLFILTER_LINE_TEXTS_H_
#define ZELK_URLFILTER_LINE_TEXTS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// Each UTF-16 code unit is kept in one to three bytes, as UTF-8 writes a character of that
// value (a surrogate on its own included), so any line reads back exactly as it was given,
// and a filter file's lines, which hold the characters 0 to 255, take one or two bytes a
// character.
class LineTexts {
 public:
  LineTexts() = default;
  // Throws std::length_error when the text would pass 4 GB, std::bad_alloc when memory runs
  // short.
  explicit LineTexts(const std::vector<std::u16string>& lines);

  // Adds a line after the last; throws as the constructor does.
  void Append(std::u16string_view line);
  // Gives back the room left over from growing, once the last line is in.
  void ShrinkToFit();

  size_t size() const { return ends_.size(); }
  // The line as given; empty past the last line.
  std::u16string Line(size_t index) const;
  // The same into `*line`, whose room is reused from line to line.
  void LineInto(size_t index, std::u16string* line) const;
  // Bytes held.
  size_t memory() const { return bytes_.capacity() + ends_.capacity() * sizeof(uint32_t); }

 private:
  std::string bytes_;
  std::vector<uint32_t> ends_;  // where each line's bytes end in bytes_
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_LINE_TEXTS_H_
