#include "profile/copy_name.h"

#include <cstdint>
#include <limits>

#include "platform/platform.h"

namespace zelk {
namespace {

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

bool IsWideSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// Reads an integer as the C library's wide to-integer conversion does: blanks, a sign,
// then digits up to the first other character; 0 when no digit comes. Values beyond the
// 32-bit range give its nearest bound.
int64_t ReadNumber(std::u16string_view text) {
  size_t at = 0;
  while (at < text.size() && IsWideSpace(text[at])) {
    ++at;
  }
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
    negative = text[at] == u'-';
    ++at;
  }
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t value = 0;
  for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
    value = value * 10 + (text[at] - u'0');
    if (value > kLimit) {
      value = kLimit;
    }
  }
  if (negative) {
    return -value;
  }
  return value == kLimit ? value - 1 : value;
}

std::u16string Decimal(int64_t value) {
  std::u16string text;
  for (char c : std::to_string(value)) {
    text.push_back(static_cast<char16_t>(c));
  }
  return text;
}

// The next base name, with the extension already appended when the numbered form is made.
std::u16string NextBase(const std::u16string& base, const std::u16string& extension) {
  if (base.find(u"Copy ") == std::u16string::npos) {
    return u"Copy of " + base + extension;
  }
  const size_t open = base.find(u'(');
  if (open == std::u16string::npos) {
    return u"Copy (1) of " + (base.size() > 8 ? base.substr(8) : std::u16string()) + extension;
  }
  const size_t close = base.find(u')');
  if (close == std::u16string::npos) {
    return u"Copy of " + base + extension;
  }
  const int64_t number =
      close > open + 1 ? ReadNumber(std::u16string_view(base).substr(open + 1, close - open - 1))
                       : 0;
  const std::u16string rest = base.size() > close + 5 ? base.substr(close + 5) : std::u16string();
  return u"Copy (" + Decimal(number + 1) + u") of " + rest + extension;
}

}  // namespace

PathParts SplitPath(std::u16string_view path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == u':') {
    parts.drive = std::u16string(path.substr(0, 2));
    path.remove_prefix(2);
  }
  size_t name_start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsSeparator(path[i])) {
      name_start = i + 1;
    }
  }
  parts.folder = std::u16string(path.substr(0, name_start));
  const std::u16string_view name = path.substr(name_start);
  const size_t dot = name.rfind(u'.');
  parts.base = std::u16string(name.substr(0, dot));
  if (dot != std::u16string_view::npos) {
    parts.extension = std::u16string(name.substr(dot));
  }
  return parts;
}

std::u16string MakeCopyName(std::u16string_view path) {
  const PathParts parts = SplitPath(path);
  return parts.drive + parts.folder + NextBase(parts.base, parts.extension);
}

std::u16string AddTrailingBackslash(std::u16string_view path) {
  std::u16string result(path);
  if (result.empty() || result.back() != u'\\') {
    result.push_back(u'\\');
  }
  return result;
}

std::u16string GetFolderName(std::u16string_view pattern) {
  const size_t last = pattern.rfind(u'\\');
  if (last == std::u16string_view::npos) {
    return std::u16string();
  }
  const std::u16string_view folder = pattern.substr(0, last);
  const size_t before = folder.rfind(u'\\');
  if (before == std::u16string_view::npos) {
    return std::u16string();
  }
  return std::u16string(folder.substr(before + 1));
}

std::u16string LastComponent(std::u16string_view path) {
  const PathParts parts = SplitPath(path);
  return parts.base + parts.extension;
}

FreeNameOutcome FindFreeName(std::u16string_view target,
                             int max_attempts,
                             const std::function<bool(const std::u16string&)>& is_taken,
                             std::u16string* free_name) {
  std::u16string name(target);
  for (int attempt = 0; attempt < max_attempts; ++attempt) {
    if (!is_taken(name)) {
      *free_name = std::move(name);
      return FreeNameOutcome::kFound;
    }
    std::u16string next = MakeCopyName(name);
    if (next.size() >= platform::kMaxPath) {
      return FreeNameOutcome::kNameTooLong;
    }
    if (next == name) {
      return FreeNameOutcome::kNoFreeName;
    }
    name = std::move(next);
  }
  return FreeNameOutcome::kNoFreeName;
}

}  // namespace zelk
