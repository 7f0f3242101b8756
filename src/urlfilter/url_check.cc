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
  EnsureSettingsLoaded(source);
  if (source.filter_list_loaded == 0 && LoadFilterList(source) == 0) {
    WriteHostText(kFailedLoadPage, url, capacity);
    return 1;
  }
  // The address ends at its terminator, and never past the buffer the host declared.
  size_t length = 0;
  if (capacity > 0) {
    const void* end = std::memchr(url, 0, static_cast<size_t>(capacity));
    length = end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - url)
                            : static_cast<size_t>(capacity);
  } else {
    length = std::strlen(url);
  }
  const std::u16string address = platform::AnsiToWide(std::string_view(url, length));
  UrlDecision result = DecideUrl(UrlCheckInputFor(source, address));
  const bool allow = result.allow;
  if (!allow) {
    WriteHostText(platform::WideToAnsi(
                      BuildDeniedPage(source.denied_page_template, address, result.denied_word)),
                  url, capacity);
  }
  if (decision != nullptr) {
    *decision = std::move(result);
  }
  return allow ? 1 : 0;
}

}  // namespace zelk
