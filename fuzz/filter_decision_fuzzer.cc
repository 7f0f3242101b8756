// Filter file to decision. The bytes are a filter file; it is decoded in pieces of every
// size the data chooses (which must give the lines a single feed gives) and each address
// of a small set, and every line of the file itself, is decided. The decision is checked
// against the rule walk written out plainly below.
#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"
#include "fuzz/fuzz_input.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_file_decoder.h"
#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/matcher.h"
#include "urlfilter/url_decision.h"

namespace zelk::fuzz {
namespace {

// Far below the check's own budget, so that each input runs in milliseconds; what the
// budget guards is the same at any size.
constexpr uint64_t kBudget = 100'000;

bool IsBlank(char16_t c) {
  return (c >= 9 && c <= 13) || c == 32 || c == 160;
}

// The rules walked from the top, as an administrator reads the file: a line ends at its
// first NUL and is trimmed; ";" is a comment; "all" sets the default; the first pattern
// that matches decides; a pattern that does not compile refuses.
struct Plain {
  bool allow = false;
  std::u16string word;
  bool abandoned = false;
};
Plain PlainWalk(const std::vector<std::u16string>& lines, std::u16string_view address) {
  Plain result;
  const std::u16string folded = FoldAscii(address);
  uint64_t steps = 0;
  for (const std::u16string& whole : lines) {
    std::u16string_view line(whole);
    line = line.substr(0, line.find(u'\0'));
    while (!line.empty() && IsBlank(line.front()))
      line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back()))
      line.remove_suffix(1);
    if (line.empty() || line.front() == u';')
      continue;
    const bool allow = line.front() == u'+';
    const std::u16string text = FoldAscii(line.substr(1));
    if (text == u"all") {
      result.allow = allow;
      continue;
    }
    if (folded.empty() || text.empty())
      continue;
    UrlPattern pattern;
    if (CompilePattern(text, &pattern) != PatternError::kOk) {
      return {false, u"", false};
    }
    MatchState state;
    const bool matched = MatchPattern(pattern, folded, &state, kBudget - steps);
    steps += state.steps();
    if (state.abandoned()) {
      return {false, u"", true};
    }
    if (matched) {
      return {allow, text, false};
    }
  }
  result.word.clear();
  return result;
}

}  // namespace
}  // namespace zelk::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelk;
  using namespace zelk::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::u16string> lines;
  FilterFileDecoder whole(&lines);
  whole.Feed(bytes);
  whole.Finish();

  std::vector<std::u16string> pieces_lines;
  FilterFileDecoder pieces(&pieces_lines);
  const size_t piece = size == 0 ? 1 : 1 + data[0] % 7;
  for (size_t at = 0; at < size; at += piece) {
    pieces.Feed(bytes.substr(at, piece));
  }
  pieces.Finish();
  Require(pieces_lines == lines, "decoding in pieces gives other lines");

  const CompiledFilterListPtr compiled = CompileFilterList(lines);
  if (compiled == nullptr) {
    return 0;
  }
  const std::vector<std::u16string> addresses = AddressesToCheck(lines);
  for (const std::u16string& address : addresses) {
    UrlCheckInput input;
    input.list = compiled.get();
    input.address = address;
    input.step_budget = kBudget;
    const UrlDecision decision = DecideUrl(input);
    Require(decision.steps <= kBudget, "step budget exceeded");
    const Plain plain = PlainWalk(lines, address);
    if (decision.reason == DecisionReason::kBudgetExhausted || plain.abandoned) {
      Require(!decision.allow, "a check out of budget allowed");
      continue;
    }
    Require(decision.allow == plain.allow, "the decision differs from the plain walk");
    Require(decision.denied_word == plain.word, "the denied word differs from the plain walk");
  }
  return 0;
}
