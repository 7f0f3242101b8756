// How one line of the filter file reads: the one reader of marks, comments, blank lines and
// the default rule, shared by the address check and the administrator tool. Pure code.
#ifndef ZELK_URLFILTER_FILTER_LINE_H_
#define ZELK_URLFILTER_FILTER_LINE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace zelk {

inline constexpr char16_t kCommentMark = u';';
inline constexpr char16_t kAllowMark = u'+';
inline constexpr char16_t kDenyMark = u'-';

// White space at the ends of a filter line: the characters 9 to 13, 32 and 160.
constexpr bool IsFilterSpace(char16_t c) {
  return (c >= 9 && c <= 13) || c == 32 || c == 160;
}

enum class FilterLineKind {
  kBlank,        // nothing but white space, or a mark with no rule text after it
  kComment,      // the mark ";"
  kDefaultRule,  // rule text "all" in any case: sets the answer when no pattern matches
  kPatternRule,  // any other rule text: a pattern
};

// One filter line: up to its first NUL, trimmed of white space at both ends, its first character
// the mark, the rest the rule text (not trimmed again). Every mark but "+" denies.
struct FilterLine {
  FilterLineKind kind = FilterLineKind::kBlank;
  char16_t mark = 0;      // 0 for a line of white space
  size_t mark_index = 0;  // where the mark stands in the line as read
  std::u16string text;    // the rule text as written
  std::u16string folded;  // the rule text folded A-Z: the pattern, and the denied word
  bool allow = false;     // the mark is "+"
};

FilterLine ReadFilterLine(std::u16string_view line);

// A filter line read as ReadFilterLine reads it, without copying: `text` views the rule
// text in the line as written (not folded), so it lives as long as the line.
struct FilterLineView {
  FilterLineKind kind = FilterLineKind::kBlank;
  char16_t mark = 0;
  size_t mark_index = 0;
  std::u16string_view text;
  bool allow = false;
};

FilterLineView ViewFilterLine(std::u16string_view line);

}  // namespace zelk

#endif  // ZELK_URLFILTER_FILTER_LINE_H_
