// PathAppendW on Linux: the join with exactly one backslash, within the path limit.
#include "platform/platform.h"

namespace zelk::platform {

bool AppendPath(std::u16string* path, std::u16string_view more) {
  while (!more.empty() && more.front() == u'\\') {
    more.remove_prefix(1);
  }
  std::u16string joined = *path;
  if (!joined.empty() && !more.empty() && joined.back() != u'\\') {
    joined.push_back(u'\\');
  }
  joined.append(more);
  if (joined.size() >= kMaxPath) {
    return false;
  }
  *path = std::move(joined);
  return true;
}

}  // namespace zelk::platform
