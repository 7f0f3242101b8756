// Pattern compile and match. The bytes before 0xF0 spell the pattern, those after it the
// address; a byte below 0x20 stands for one piece of the pattern language from the table
// below, so that short inputs reach every construct. Checks: the step budget is kept, a
// second compilation gives the same program, checking alone gives the compiler's error, a
// reused match state answers as a fresh one, matching is repeatable, and plain
// backtracking gives the same answer.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/matcher.h"
#include "urlfilter/pattern/parser.h"

namespace zelk::fuzz {
namespace {

constexpr uint64_t kBudget = 200'000;
constexpr char kSeparator = '\xF0';

constexpr const char16_t* kPieces[32] = {
    u"(",   u")",   u"{",   u"}",   u"[",   u"]", u"[^", u"|",  u"*",   u"+",   u"?",
    u"*?",  u"+?",  u"??",  u"!",   u".",   u"$", u"^",  u"\\", u"\\1", u"\\0", u"\\a",
    u"\\d", u"\\w", u"\\z", u"\\n", u"\\q", u"-", u"a",  u"b",  u"ab",  u"\\t",
};

// Plain backtracking is the reference of the search that remembers failures and scans
// repeats: where both answer, the answers agree, and on a match so do bounds and groups.
void RequireSameAsPlain(const UrlPattern& compiled,
                        std::u16string_view address,
                        const MatchState& searched,
                        bool matched) {
  MatchState plain;
  const bool expected =
      MatchPattern(compiled, address, &plain, kBudget, MatchMode::kPlainBacktracking);
  if (plain.abandoned() || searched.abandoned()) {
    return;
  }
  Require(expected == matched, "remembered failures change the answer");
  if (!matched) {
    return;
  }
  bool same =
      plain.match_start() == searched.match_start() && plain.match_end() == searched.match_end();
  for (size_t group = 0; group < plain.group_count(); ++group) {
    same = same && plain.group_start(group) == searched.group_start(group) &&
           plain.group_end(group) == searched.group_end(group);
  }
  Require(same, "remembered failures change the match's bounds or groups");
}

// Bytes 0x00-0x1F are pieces, 0xF1-0xFF characters beyond Latin-1, others themselves.
std::u16string Spell(std::string_view bytes) {
  std::u16string text;
  for (const char c : bytes) {
    const uint8_t b = static_cast<uint8_t>(c);
    if (b < 0x20) {
      text += kPieces[b];
    } else if (b > 0xF0) {
      text.push_back(static_cast<char16_t>(0x100 * (b - 0xF0) + b));
    } else {
      text.push_back(b);
    }
  }
  return text;
}

}  // namespace
}  // namespace zelk::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelk;
  using namespace zelk::fuzz;
  FuzzInput input(data, size);
  const std::u16string pattern = Spell(input.TakeUntil(kSeparator));
  const std::u16string address = Spell(input.TakeRest());

  UrlPattern compiled;
  const PatternError error = CompilePattern(pattern, &compiled);
  UrlPattern again;
  Require(CompilePattern(pattern, &again) == error, "recompiling gives another result");
  // A filter list compiles every rule in one workspace and one reading, whatever the rules
  // before left in them (refused ones among them): kept here from input to input.
  static PatternWorkspace workspace;
  static PatternReading reading;
  UrlPattern from_workspace;
  Require(CompilePattern(pattern, &from_workspace, &reading, &workspace) == error,
          "a reused workspace gives another result");
  // A list learns each rule's error without building its program, in the same room.
  Require(CheckPattern(pattern, &reading, &workspace) == error,
          "checking gives another error than compiling");
  if (error != PatternError::kOk) {
    Require(compiled.instructions().empty(), "a refused pattern kept a program");
    return 0;
  }
  for (const UrlPattern* other : {&again, &from_workspace}) {
    Require(other->instructions() == compiled.instructions() &&
                other->group_count() == compiled.group_count() &&
                other->slot_count() == compiled.slot_count() &&
                other->memo_points().size() == compiled.memo_points().size() &&
                other->memo_guards() == compiled.memo_guards() &&
                other->has_back_references() == compiled.has_back_references(),
            "recompiling gives another program");
  }
  Require(compiled.instructions().size() <= kMaxPatternInstructions, "program beyond its bound");

  MatchState fresh;
  const bool matched = MatchPattern(compiled, address, &fresh, kBudget);
  Require(fresh.steps() <= kBudget, "step budget exceeded");
  Require(!(matched && fresh.abandoned()), "an abandoned match reported a match");

  // The same state after another match (of the pattern against its own text) must
  // answer as a fresh one: nothing of an earlier match may leak into the next.
  MatchState reused;
  MatchPattern(compiled, pattern, &reused, kBudget);
  const bool matched_again = MatchPattern(compiled, address, &reused, kBudget);
  Require(reused.steps() <= kBudget, "step budget exceeded on a reused state");
  Require(matched_again == matched && reused.abandoned() == fresh.abandoned(),
          "a reused state answers otherwise than a fresh one");
  if (matched) {
    Require(reused.match_start() == fresh.match_start() && reused.match_end() == fresh.match_end(),
            "a reused state matches elsewhere");
    Require(fresh.match_start() <= address.size() && fresh.match_end() <= address.size() + 1,
            "match outside the address");
  }
  RequireSameAsPlain(compiled, address, fresh, matched);
  return 0;
}
