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

  // Makes room for `bytes` of text at once (a file's size), so that reading a large file
  // neither copies the text as it grows nor touches more fresh memory than it keeps.
  void Reserve(size_t bytes);
  // Adds a line after the last; throws as the constructor does.
  void Append(std::u16string_view line);
  // The same for a line whose characters are the values of its bytes (0 to 255).
  void AppendBytes(std::string_view line);
  // Gives back the room left over from growing, once the last line is in, unless it is
  // too little to be worth copying the text for.
  void ShrinkToFit();

  size_t size() const { return ends_.size(); }
  // Bytes of text, all lines together.
  size_t text_bytes() const { return bytes_.size(); }
  // The line as given; empty past the last line.
  std::u16string Line(size_t index) const;
  // The same into `*line`, whose room is reused from line to line.
  void LineInto(size_t index, std::u16string* line) const;
  // Bytes held.
  size_t memory() const { return bytes_.capacity() + ends_.capacity() * sizeof(uint32_t); }

 private:
  // Throws std::length_error when `more` bytes would take the text past 4 GB.
  void CheckRoom(size_t more) const;

  std::string bytes_;
  std::vector<uint32_t> ends_;  // where each line's bytes end in bytes_
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_LINE_TEXTS_H_
