#include "urlfilter/url_check.h"

#include <cstring>
#include <string>

#include "config/settings_loader.h"
#include "platform/platform.h"
#include "urlfilter/denied_page.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_check_input.h"

namespace zelk {
namespace {

constexpr char kFailedLoadPage[] = "About:Blank";
// The page of a check that failed part-way: fixed, so nothing from the address is in it.
constexpr char kSafePage[] = "about:blank";

// Writes the safe page, or an empty one when it does not fit.
void WriteSafePage(char* buffer, int capacity) {
  if (capacity < 1) {
    return;
  }
  if (static_cast<size_t>(capacity) >= sizeof(kSafePage)) {
    std::memcpy(buffer, kSafePage, sizeof(kSafePage));
  } else {
    buffer[0] = '\0';
  }
}

// The address ends at its terminator, and never past the buffer the host declared. A
// buffer declared with no room (capacity 0 or below) is not read at all: its address
// counts as empty.
size_t AddressLength(const char* url, int capacity) {
  if (capacity <= 0) {
    return 0;
  }
  const void* end = std::memchr(url, 0, static_cast<size_t>(capacity));
  return end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - url)
                        : static_cast<size_t>(capacity);
}

// The longest page worth building for a buffer of `capacity` bytes. Every character
// takes at least one byte in the host's code page except a surrogate pair that becomes
// one default character, so twice the capacity always fills the buffer.
size_t PageLimit(int capacity) {
  return capacity > 0 ? static_cast<size_t>(capacity) * 2 : 0;
}

int CheckUnguarded(ConfigSource& source, char* url, int capacity, UrlDecision* decision) {
  EnsureSettingsLoaded(source);
  if (source.filter_list_loaded == 0 && LoadFilterList(source) == 0) {
    WriteHostText(kFailedLoadPage, url, capacity);
    return 1;
  }
  const size_t length = AddressLength(url, capacity);
  const std::u16string address = platform::AnsiToWide(std::string_view(url, length));
  if (length != 0 && address.empty()) {
    // The conversion failed (it gives at least one character per byte otherwise); an
    // address taken as empty would be decided by the default rule alone.
    WriteSafePage(url, capacity);
    return 0;
  }
  UrlDecision result = DecideUrl(UrlCheckInputFor(source, address));
  const bool allow = result.allow;
  if (!allow && capacity > 0) {
    WriteHostText(platform::WideToAnsi(BuildDeniedPage(source.denied_page_template, address,
                                                       result.denied_word, PageLimit(capacity))),
                  url, capacity);
  }
  if (decision != nullptr) {
    *decision = std::move(result);
  }
  return allow ? 1 : 0;
}

}  // namespace

void WriteHostText(const std::string& text, char* buffer, int capacity) {
  if (buffer == nullptr || capacity < 1) {
    return;
  }
  const size_t length = platform::AnsiPrefixLength(text, static_cast<size_t>(capacity) - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

int CheckUrlBuffer(ConfigSource& source, char* url, int capacity, UrlDecision* decision) {
  if (url == nullptr) {
    return 0;
  }
  try {
    return CheckUnguarded(source, url, capacity, decision);
  } catch (...) {
    // Whatever failed, the host must not show its buffer, which may still hold the
    // address, as the page.
    WriteSafePage(url, capacity);
    return 0;
  }
}

}  // namespace zelk
