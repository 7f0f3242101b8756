// The denied page. The bytes are template, address and denied word, split at 0xFF. No
// character that could end a context may come from the address or the word: the page
// holds each of them exactly as often as the template does. A page built to a limit is
// the start of the whole page, and the whole page is what two plain replacements give.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "urlfilter/denied_page.h"

namespace zelk::fuzz {
namespace {

constexpr std::u16string_view kBreakers = u"<>\"'\\`\x7F\u2028\u2029${}";

std::u16string ReplaceAll(std::u16string_view text,
                          std::u16string_view from,
                          std::u16string_view to) {
  std::u16string out;
  size_t at = 0;
  for (size_t found = text.find(from); found != std::u16string_view::npos;
       found = text.find(from, at)) {
    out.append(text.substr(at, found - at)).append(to);
    at = found + from.size();
  }
  return out.append(text.substr(at));
}

size_t Count(std::u16string_view text, char16_t c) {
  size_t count = 0;
  for (char16_t t : text) {
    count += t == c ? 1 : 0;
  }
  return count;
}

size_t CountBareAmpersands(std::u16string_view text) {
  size_t count = 0;
  for (size_t at = text.find(u'&'); at != std::u16string_view::npos; at = text.find(u'&', at + 1)) {
    count += text.substr(at, 5) == u"&amp;" ? 0 : 1;
  }
  return count;
}

}  // namespace
}  // namespace zelk::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelk;
  using namespace zelk::fuzz;
  FuzzInput input(data, size);
  const size_t limit = input.TakeByte();
  const std::u16string page_template = Widen(input.TakeUntil('\xFF'));
  const std::u16string address = Widen(input.TakeUntil('\xFF'));
  const std::u16string word = Widen(input.TakeRest());

  const std::u16string page = BuildDeniedPage(page_template, address, word);
  const std::u16string plain =
      ReplaceAll(ReplaceAll(page_template, u"(DENIED_PAGE)", EscapeForPage(address)),
                 u"(DENIED_WORD)", EscapeForPage(word));
  Require(page == plain, "the page differs from two plain replacements");
  Require(BuildDeniedPage(page_template, address, word, limit) == page.substr(0, limit),
          "a limited page is not the start of the whole page");

  for (const char16_t c : kBreakers) {
    Require(Count(page, c) == Count(page_template, c),
            "a context breaker came from the address or the word");
  }
  // "&" comes in only as "&amp;": every other "&" of the page is the template's.
  Require(CountBareAmpersands(page) <= CountBareAmpersands(page_template),
          "a bare & came from the address or the word");
  for (char16_t c = 0; c <= 0x20; ++c) {
    Require(Count(page, c) == Count(page_template, c),
            "a blank or control character came from the address or the word");
  }
  return 0;
}
