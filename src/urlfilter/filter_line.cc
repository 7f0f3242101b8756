#include "urlfilter/filter_line.h"

#include "common/text.h"

namespace zelk {
namespace {

constexpr std::u16string_view kDefaultRuleText = u"all";

}  // namespace

FilterLine ReadFilterLine(std::u16string_view line) {
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
  FilterLine read;
  read.mark_index = begin;
  if (begin == end) {
    return read;
  }
  read.mark = line[begin];
  read.allow = read.mark == kAllowMark;
  read.text = std::u16string(line.substr(begin + 1, end - begin - 1));
  if (read.mark == kCommentMark) {
    read.kind = FilterLineKind::kComment;
    return read;
  }
  if (read.text.empty()) {
    return read;
  }
  read.folded = FoldAscii(read.text);
  read.kind =
      read.folded == kDefaultRuleText ? FilterLineKind::kDefaultRule : FilterLineKind::kPatternRule;
  return read;
}

}  // namespace zelk
