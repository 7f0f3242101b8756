// Command-line splitting. The bytes are a command line (two bytes per UTF-16 unit).
// Checks: the arguments after the program name, quoted again by the rules the splitter
// reads, split into the same arguments.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/posix/command_line.h"

namespace {

// Quotes one argument so that the splitter gives it back: always in quotes, backslashes
// doubled where a quote follows them, quotes escaped.
std::u16string Quote(const std::u16string& argument) {
  std::u16string out = u"\"";
  size_t backslashes = 0;
  for (const char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(2 * backslashes, u'\\');
  return out + u"\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelk::fuzz;
  std::u16string line;
  for (size_t i = 0; i + 1 < size; i += 2) {
    line.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const std::vector<std::u16string> arguments = zelk::platform::posix::SplitCommandLine(line);
  if (arguments.empty()) {
    return 0;
  }
  std::u16string again = u"p";
  for (size_t i = 1; i < arguments.size(); ++i) {
    again += u" " + Quote(arguments[i]);
  }
  std::vector<std::u16string> expected(arguments.begin() + 1, arguments.end());
  expected.insert(expected.begin(), u"p");
  Require(zelk::platform::posix::SplitCommandLine(again) == expected,
          "quoted arguments split otherwise");
  return 0;
}
