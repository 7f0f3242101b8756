// The exports end to end, as a host calls them. The first two bytes are the declared
// capacity (signed, so 0 and below occur), the third a count for the wide-text exports,
// the rest the address. The buffer is exactly as large as declared, so the sanitizer sees
// any access beyond it. Checks: a refused address leaves a terminated page in the buffer
// that holds no character able to end a context beyond the template's own.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/platform.h"
#include "zelk/zelk.h"

namespace {

constexpr char kTemplate[] =
    "<a href=\"(DENIED_PAGE)\" onclick=\"go('(DENIED_PAGE)')\">(DENIED_WORD)</a>"
    "<script>var u = `(DENIED_PAGE)`;</script>";
constexpr char kFilter[] = "+all\n-evil\n-\\.exe$\n-{a}\\1\n+^about:\n-(x|y)*?z\n";
constexpr std::string_view kBreakers = "<>\"'\\`";

void WriteText(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    zelk::fuzz::Fail("cannot write the installation");
  }
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

size_t Count(std::string_view text, char c) {
  size_t count = 0;
  for (const char t : text) {
    count += t == c ? 1 : 0;
  }
  return count;
}

}  // namespace

// A kiosk installation in a fresh folder: zelk.ini beside the host, a filter file.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/zelk-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    zelk::fuzz::Fail("no temporary folder");
  }
  const std::string base = folder;
  WriteText(base + "/filter.txt", kFilter);
  WriteText(base + "/zelk.ini", "[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" + base +
                                    "/filter.txt\nDeniedURLHTML=" + kTemplate + "\n");
  std::u16string host(base.begin(), base.end());
  std::replace(host.begin(), host.end(), u'/', u'\\');
  zelk::platform::SetHostExecutablePathForTesting(host + u"\\browser.exe");
  zelk::platform::SetMessageBoxSinkForTesting(
      [](std::u16string_view, std::u16string_view, zelk::platform::MessageBoxIcon) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelk::fuzz;
  FuzzInput input(data, size);
  const int capacity = static_cast<int16_t>(input.TakeByte() | (input.TakeByte() << 8)) % 600;
  const int count = static_cast<int8_t>(input.TakeByte());
  const std::string_view address = input.TakeRest();

  // At least one byte, so that the buffer has an address even when it holds nothing.
  std::vector<char> buffer(
      std::max<size_t>(1, capacity > 0 ? static_cast<size_t>(capacity) : address.size()));
  std::copy_n(address.begin(), std::min(buffer.size(), address.size()), buffer.begin());
  if (capacity > 0 && address.size() < buffer.size()) {
    buffer[address.size()] = '\0';
  }
  const std::vector<char> before = buffer;
  const int answer = CheckURL(buffer.data(), capacity, "");
  Require(answer == 0 || answer == 1, "CheckURL answers neither 0 nor 1");
  if (capacity <= 0) {
    Require(buffer == before, "a buffer declared with no room was written");
  } else if (answer == 0) {
    const void* end = std::memchr(buffer.data(), 0, buffer.size());
    Require(end != nullptr, "the page is not terminated within the buffer");
    const std::string_view page(buffer.data(), static_cast<const char*>(end) - buffer.data());
    for (const char c : kBreakers) {
      Require(Count(page, c) <= Count(kTemplate, c), "a context breaker came from the address");
    }
  }

  std::vector<ZelkWideChar> wide(count > 0 ? static_cast<size_t>(count) : 1);
  GetAboutString(wide.data(), count);
  GetProfilePath(wide.data(), count);
  GetBookmarkBarText(wide.data(), count);
  return 0;
}
