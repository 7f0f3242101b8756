// Reading a fuzzer's bytes as the inputs of one target. Every target takes its parts from
// the front of the data, so a short input reaches every part.
#ifndef ZELK_FUZZ_FUZZ_INPUT_H_
#define ZELK_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelk::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  // The next byte, or 0 once the data is used up.
  uint8_t TakeByte() {
    if (rest_.empty()) {
      return 0;
    }
    const uint8_t b = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }

  // The bytes up to the next `separator` (which is dropped), or all that is left.
  std::string_view TakeUntil(char separator) {
    const size_t at = rest_.find(separator);
    const std::string_view part = rest_.substr(0, at);
    rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + 1);
    return part;
  }

  std::string_view TakeRest() { return std::exchange(rest_, std::string_view()); }

 private:
  std::string_view rest_;
};

// Each byte as the character of the same code, as the filter file is read.
inline std::u16string Widen(std::string_view bytes) {
  std::u16string text;
  for (const char c : bytes) {
    text.push_back(static_cast<unsigned char>(c));
  }
  return text;
}

// Stops the run with a message: libFuzzer records the input that led here.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

inline void Require(bool condition, const char* what) {
  if (!condition) {
    Fail(what);
  }
}

// The addresses a filter target checks: a few fixed ones, and the first lines of the file
// itself, so that rules meet text they were written from.
inline std::vector<std::u16string> AddressesToCheck(const std::vector<std::u16string>& lines) {
  constexpr size_t kLinesAsAddresses = 4;
  std::vector<std::u16string> addresses = {u"", u"x", u"http://x.test/a?b=c", u"ABOUT:BLANK",
                                           u"https://www.example.com:8080/path/file.exe?q=1#top"};
  for (size_t i = 0; i < lines.size() && i < kLinesAsAddresses; ++i) {
    addresses.push_back(lines[i]);
  }
  return addresses;
}

}  // namespace zelk::fuzz

#endif  // ZELK_FUZZ_FUZZ_INPUT_H_
