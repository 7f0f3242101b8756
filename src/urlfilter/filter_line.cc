#include "urlfilter/filter_line.h"

#include "common/text.h"

namespace zelk {
namespace {

constexpr std::u16string_view kDefaultRuleText = u"all";

}  // namespace

FilterLineView ViewFilterLine(std::u16string_view line) {
  // A rule is zero-terminated text, as its pattern is: a NUL ends it for the mark, the
  // "all" test, the pattern and the denied word alike.
  line = line.substr(0, line.find(u'\0'));
  size_t begin = 0;
  size_t end = line.size();
  while (begin < end && IsFilterSpace(line[begin])) {
    ++begin;
  }
  while (end > begin && IsFilterSpace(line[end - 1])) {
    --end;
  }
  FilterLineView read;
  read.mark_index = begin;
  if (begin == end) {
    return read;
  }
  read.mark = line[begin];
  read.allow = read.mark == kAllowMark;
  read.text = line.substr(begin + 1, end - begin - 1);
  if (read.mark == kCommentMark) {
    read.kind = FilterLineKind::kComment;
  } else if (!read.text.empty()) {
    read.kind = EqualsIgnoringAsciiCase(read.text, kDefaultRuleText) ? FilterLineKind::kDefaultRule
                                                                     : FilterLineKind::kPatternRule;
  }
  return read;
}

FilterLine ReadFilterLine(std::u16string_view line) {
  const FilterLineView view = ViewFilterLine(line);
  FilterLine read;
  read.kind = view.kind;
  read.mark = view.mark;
  read.mark_index = view.mark_index;
  read.allow = view.allow;
  read.text = std::u16string(view.text);
  if (view.kind == FilterLineKind::kDefaultRule || view.kind == FilterLineKind::kPatternRule) {
    read.folded = FoldAscii(view.text);
  }
  return read;
}

}  // namespace zelk
