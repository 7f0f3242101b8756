#include "platform/posix/posix_path.h"

#include <cstdint>
#include <vector>

#include "common/text.h"

namespace zelk::platform::posix {
namespace {

// Linux names may hold bytes that no Windows name can: a backslash, which the library
// would take for a separator, and bytes that are not UTF-8. Each is given a character of
// its own that turns back into the same byte, so a listed name names that entry and no
// other when it is joined to its folder: the backslash becomes U+F05C (a private-use
// character, as other Windows-on-Linux layers do), a stray byte B becomes the unpaired
// surrogate U+DC00 + B.
constexpr char16_t kBackslashInName = 0xF05C;
constexpr char16_t kStrayByteBase = 0xDC00;
// Windows drops trailing dots and spaces of a name, so a Linux name ending in them keeps
// them as U+F02E and U+F020 instead (the same convention as the backslash).
constexpr char16_t kDotInName = 0xF02E;
constexpr char16_t kSpaceInName = 0xF020;

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

// One component as Windows reads it: the last loses every trailing dot and space, any
// other one trailing dot.
std::u16string_view TrimComponent(std::u16string_view component, bool last) {
  if (last) {
    while (!component.empty() && (component.back() == u'.' || component.back() == u' ')) {
      component.remove_suffix(1);
    }
  } else if (!component.empty() && component.back() == u'.') {
    component.remove_suffix(1);
  }
  return component;
}

bool IsStrayByteCharacter(std::u16string_view path, size_t i) {
  const char16_t c = path[i];
  const bool after_high = i > 0 && path[i - 1] >= 0xD800 && path[i - 1] <= 0xDBFF;
  return c >= kStrayByteBase + 0x80 && c <= kStrayByteBase + 0xFF && !after_high;
}

// The native byte of a character the library form gives a name-only meaning, or 0.
char NameByte(std::u16string_view path, size_t i) {
  switch (path[i]) {
    case kBackslashInName:
      return '\\';
    case kDotInName:
      return '.';
    case kSpaceInName:
      return ' ';
    default:
      return IsStrayByteCharacter(path, i) ? static_cast<char>(path[i] - kStrayByteBase) : 0;
  }
}

// The length of the well-formed, shortest-form UTF-8 sequence at `i`, or 0.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(i);
  const size_t length = lead < 0x80                    ? 1
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
  if (length == 0 || i + length > text.size()) {
    return 0;
  }
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      return 0;
    }
  }
  const uint8_t second = byte(i + 1 < text.size() ? i + 1 : i);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
    return 0;  // too long a form, a surrogate, or beyond U+10FFFF
  }
  return length;
}

// Gives the trailing dots and spaces of the component that ends `text` their name-only
// characters, unless the component is "." or "..".
void KeepTrailingDotsAndSpaces(std::u16string* text) {
  const size_t start = text->find_last_of(u'\\') + 1;  // npos + 1 is 0
  const std::u16string_view component = std::u16string_view(*text).substr(start);
  if (component == u"." || component == u"..") {
    return;
  }
  for (size_t k = text->size(); k > start && ((*text)[k - 1] == u'.' || (*text)[k - 1] == u' ');
       --k) {
    (*text)[k - 1] = (*text)[k - 1] == u'.' ? kDotInName : kSpaceInName;
  }
}

}  // namespace

std::u16string ResolvePathText(std::u16string_view path) {
  const bool rooted = !path.empty() && IsSeparator(path.front());
  const bool folder_form = !path.empty() && IsSeparator(path.back());
  std::vector<std::u16string_view> kept;
  size_t leading_parents = 0;  // ".." a relative path keeps in front
  size_t at = 0;
  while (at < path.size()) {
    size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) {
      ++end;
    }
    std::u16string_view component = path.substr(at, end - at);
    const bool last = end == path.size();
    at = end + 1;
    if (component == u"..") {
      if (!kept.empty()) {
        kept.pop_back();
      } else if (!rooted) {
        ++leading_parents;
      }
      continue;
    }
    if (component != u".") {
      component = TrimComponent(component, last);
    }
    if (!component.empty() && component != u".") {
      kept.push_back(component);
    }
  }
  std::u16string resolved = rooted ? u"\\" : u"";
  for (size_t i = 0; i < leading_parents; ++i) {
    resolved += u"..\\";
  }
  for (const std::u16string_view component : kept) {
    resolved.append(component).push_back(u'\\');
  }
  if (resolved.size() > 1 && !folder_form) {
    resolved.pop_back();
  }
  if (resolved.empty() && !path.empty()) {
    return std::u16string(1, u'.');  // the current folder
  }
  return resolved;
}

std::string ToNativePath(std::u16string_view path) {
  const std::u16string resolved = ResolvePathText(path);
  std::string native;
  size_t run = 0;
  for (size_t i = 0; i < resolved.size(); ++i) {
    const char byte = resolved[i] == u'\\' ? '/' : NameByte(resolved, i);
    if (byte == 0) {
      continue;
    }
    native += ToUtf8(std::u16string_view(resolved).substr(run, i - run));
    native.push_back(byte);
    run = i + 1;
  }
  native += ToUtf8(std::u16string_view(resolved).substr(run));
  return native;
}

std::u16string FromNativePath(std::string_view path) {
  std::u16string text;
  size_t i = 0;
  while (i < path.size()) {
    const size_t length = Utf8SequenceLength(path, i);
    if (length == 0) {
      text.push_back(static_cast<char16_t>(kStrayByteBase + static_cast<uint8_t>(path[i])));
    } else if (path[i] == '/') {
      text.push_back(u'\\');
    } else if (path[i] == '\\') {
      text.push_back(kBackslashInName);
    } else {
      text += FromUtf8(path.substr(i, length));
    }
    i += length == 0 ? 1 : length;
    const bool component_ends = i == path.size() || path[i] == '/';
    if (component_ends) {
      KeepTrailingDotsAndSpaces(&text);
    }
  }
  return text;
}

}  // namespace zelk::platform::posix
