// Turns the bytes of a filter file into its lines. Pure code, fed in chunks.
#ifndef ZELK_URLFILTER_FILTER_FILE_DECODER_H_
#define ZELK_URLFILTER_FILTER_FILE_DECODER_H_

#include <string>
#include <string_view>
#include <vector>

#include "urlfilter/line_texts.h"

namespace zelk {

// Reads a filter file the way a text-mode reader of an 8-bit file does, identically on
// every platform: a line ends at LF, a CR directly before the LF goes with it, byte 26
// (Ctrl-Z) ends the file, and each byte becomes the character of the same code (128 to
// 255 become U+0080 to U+00FF). No byte-order mark is recognised. Blank lines are lines;
// the last line needs no line end.
class FilterFileDecoder {
 public:
  explicit FilterFileDecoder(std::vector<std::u16string>* lines) : lines_(lines) {}
  // Appends the lines to `texts` instead, with no block of memory per line.
  explicit FilterFileDecoder(LineTexts* texts) : texts_(texts) {}

  // Decodes the next chunk of the file. Complete lines are appended at once.
  void Feed(std::string_view bytes);
  // The end of the file: appends the last line when it has no line end.
  void Finish();
  // True once a Ctrl-Z has ended the file; later bytes are ignored.
  bool ended() const { return ended_; }

 private:
  void Take(char c);
  void EndLine();

  std::vector<std::u16string>* lines_ = nullptr;
  LineTexts* texts_ = nullptr;
  // The line's bytes, each the code of its character; keeps its room from line to line.
  std::string current_;
  bool pending_cr_ = false;  // a CR whose successor has not been seen yet
  bool has_text_ = false;    // bytes since the last line end
  bool ended_ = false;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_FILTER_FILE_DECODER_H_
