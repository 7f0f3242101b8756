// The indexed check against the plain walk. The bytes are a filter file; the list is
// compiled and indexed once, as the library does when it reads the file, and a small set
// of addresses (and the file's own first lines) is decided both by the index, matching
// with its table of failures, and by the walk that compiles and matches every rule it
// reaches by plain backtracking. Where neither runs out of its budget, the two must give
// the same answer, the same deciding line and the same denied word.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "tests/support/reference_walks.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_file_decoder.h"
#include "urlfilter/url_decision.h"

namespace zelk::fuzz {
namespace {

// Far below the check's own budget, so that each input runs in milliseconds.
constexpr uint64_t kBudget = 200'000;

bool SameDecision(const UrlDecision& a, const UrlDecision& b) {
  return a.allow == b.allow && a.reason == b.reason && a.denied_word == b.denied_word &&
         (a.reason == DecisionReason::kDefaultRule || a.line_index == b.line_index);
}

}  // namespace
}  // namespace zelk::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelk;
  using namespace zelk::fuzz;
  std::vector<std::u16string> lines;
  FilterFileDecoder decoder(&lines);
  decoder.Feed(std::string_view(reinterpret_cast<const char*>(data), size));
  decoder.Finish();
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
    const UrlDecision indexed = DecideUrl(input);
    Require(indexed.steps <= kBudget, "the indexed check spent more than its budget");
    UrlCheckInput plain = input;
    plain.match_mode = MatchMode::kPlainBacktracking;
    const UrlDecision walked = WalkFilterRules(plain, lines);
    if (indexed.reason == DecisionReason::kBudgetExhausted ||
        walked.reason == DecisionReason::kBudgetExhausted) {
      Require(indexed.reason != DecisionReason::kBudgetExhausted || !indexed.allow,
              "a check out of budget allowed");
      continue;
    }
    Require(SameDecision(indexed, walked), "the indexed check differs from the plain walk");
  }
  return 0;
}
