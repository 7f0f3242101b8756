// Environment expansion on Linux, by the rules of ExpandEnvironmentStringsW.
#include <cstdlib>
#include <cstring>
#include <optional>

#include "common/text.h"
#include "platform/platform.h"

extern char** environ;

namespace zelk::platform {
namespace {

// The value of the variable `name`. Windows matches names without regard to case, so a
// name that is not set as written is looked for in any ASCII case.
std::optional<std::u16string> LookUp(std::u16string_view name) {
  if (name.empty()) {
    return std::nullopt;
  }
  const std::string narrow = ToUtf8(name);
  if (narrow.find('=') != std::string::npos) {
    return std::nullopt;
  }
  if (const char* value = std::getenv(narrow.c_str())) {
    return FromUtf8(value);
  }
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const char* equals = std::strchr(*entry, '=');
    if (equals != nullptr &&
        EqualsIgnoringAsciiCase(FromUtf8(std::string_view(*entry, equals - *entry)), name)) {
      return FromUtf8(equals + 1);
    }
  }
  return std::nullopt;
}

// "%NAME%" becomes the value of NAME. When NAME is not set, "%NAME%" stays as written,
// closing "%" included, and the scan goes on after it; a "%" without a partner stays too.
std::u16string Expand(std::u16string_view text) {
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    const size_t open = text.find(u'%', i);
    const size_t close = open == std::u16string_view::npos ? open : text.find(u'%', open + 1);
    if (close == std::u16string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, open - i));
    const std::optional<std::u16string> value = LookUp(text.substr(open + 1, close - open - 1));
    if (value) {
      out += *value;
    } else {
      out.append(text.substr(open, close - open + 1));
    }
    i = close + 1;
  }
  return out;
}

}  // namespace

bool ExpandEnvironmentText(std::u16string_view text, size_t capacity, std::u16string* out) {
  if (out == nullptr) {
    return false;
  }
  try {
    std::u16string expanded = Expand(text.substr(0, text.find(u'\0')));
    if (expanded.size() >= capacity) {  // the terminator needs a place too
      return false;
    }
    *out = std::move(expanded);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace zelk::platform
