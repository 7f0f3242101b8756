// The matcher of filter patterns: runs a compiled program as a backtracking machine with an
// explicit stack, trying one start position after another. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_MATCHER_H_
#define ZELK_URLFILTER_PATTERN_MATCHER_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/plain_stack.h"

namespace zelk {

// A step budget that never runs out: the match runs to its answer, however long it takes.
constexpr uint64_t kUnlimitedSteps = std::numeric_limits<uint64_t>::max();

// How the matcher searches. Both give the same answer, match bounds and groups.
enum class MatchMode {
  // Remembers each (Jump, position) from which the search has failed and does not search
  // from there again, so that a program without back-references costs at most about
  // (program length x input length) steps. A program with back-references, or one whose
  // table of failures would exceed kMaxMemoBits, is run plainly.
  kRemembersFailures,
  // Plain backtracking: tries every way, however often it comes back to the same place.
  kPlainBacktracking,
};

// The largest table of remembered failures one match allocates, in bits (one per Jump of
// the program and position of the input).
constexpr size_t kMaxMemoBits = size_t{1} << 24;
static_assert(kMaxMemoBits <= (uint64_t{1} << 32), "a remembered failure's bit is one word");

// With kRemembersFailures, a search whose failures cannot be remembered (its program has
// back-references, or its table would exceed kMaxMemoBits) may take time exponential in the
// input: it is held to this many steps (some tens of milliseconds) within the caller's
// budget.
constexpr uint64_t kUnrememberedStepLimit = 5'000'000;

// A search that remembers its failures, or whose program has no Jump to loop or branch at,
// passes each instruction at each input position a few times at most (measured: about 1).
// With kRemembersFailures it is held, within the caller's budget, to this many steps per
// instruction and input position (the end included), and never to fewer than
// kUnrememberedStepLimit: a long address gets the steps its length needs, and a search
// that somehow ran past its linear cost would still end.
constexpr uint64_t kStepsPerCell = 16;

// The working state of one match: where it started and ended, what each capture group
// covered, and the machine's stack and scratch slots. Owned by the caller and reusable for
// any number of matches; positions are indices into the caller's input.
class MatchState {
 public:
  static constexpr size_t kNoPosition = std::numeric_limits<size_t>::max();

  // The stack starts with room for 256 entries.
  MatchState();

  // Where the successful (or last) attempt started.
  size_t match_start() const { return match_start_; }
  // Where the machine stood when it accepted or gave up.
  size_t match_end() const { return match_end_; }
  // The capture groups of the last pattern matched.
  size_t group_count() const { return groups_.size() / 2; }
  // Bounds of group `group`, kNoPosition while unset or for a group the pattern lacks.
  size_t group_start(size_t group) const { return GroupBound(2 * group); }
  size_t group_end(size_t group) const { return GroupBound(2 * group + 1); }

  // True when the last match stopped without an answer: its step budget ran out, memory
  // ran short, or the pattern had not compiled. MatchPattern then returned false, and that
  // false must not be taken to mean "no match".
  bool abandoned() const { return abandoned_; }
  // Instructions the last match executed.
  uint64_t steps() const { return steps_; }
  // Entries the stack has room for, the unused entry 0 included.
  size_t stack_capacity() const { return stack_.capacity(); }
  // Bytes the state holds for the matches run with it: its stack, its marks of failures
  // still to be remembered, and its table of remembered failures. A first long match in a
  // fresh process takes these as fresh pages.
  size_t room_bytes() const;

  // Makes every stack growth past `entries` fail as if memory had run out.
  void set_stack_limit_for_testing(size_t entries) { stack_limit_ = entries; }

 private:
  friend class PatternMachine;

  size_t GroupBound(size_t index) const;

  PlainStack<uint32_t> stack_;  // entry 0 is never used; the first push stores at 1
  uint32_t depth_ = 0;          // entries in use
  std::vector<uint32_t> slots_;
  std::vector<uint32_t> groups_;  // start and end of each group in turn
  // Jumps passed on the current path whose failure is to be remembered once the search
  // falls back below the depth it had there, by their bit in failed_: a table holds at
  // most kMaxMemoBits bits, so a mark takes two words.
  struct MemoMark {
    uint32_t depth;
    uint32_t bit;
  };
  PlainStack<MemoMark> marks_;
  std::vector<uint64_t> failed_;  // bit point * (input length + 1) + position
  // The remembered point of each address of the program (see PatternMachine::MapPoints).
  std::vector<uint32_t> point_at_;
  size_t match_start_ = 0;
  size_t match_end_ = 0;
  bool abandoned_ = false;
  uint64_t steps_ = 0;
  size_t stack_limit_ = std::numeric_limits<size_t>::max();
};

// True when `pattern` matches somewhere in `input`. Start positions are tried from the first
// character on (only the first when the pattern begins with "^"); the position after the
// last character is never a start. Input is folded A-Z like the pattern; it ends at its
// first 0 code unit, if any. Each executed instruction is one step (a search that remembers
// failures runs a few together: a run of characters, a loop's way into its next iteration),
// and each character a repeat of one character scans; when `step_budget` steps have run (or the
// lower limit of the search's kind, see kUnrememberedStepLimit and kStepsPerCell) the match is
// abandoned (false, state->abandoned()). The steps never exceed `step_budget`. Returns false at
// once, touching nothing, when `input` or `state` is null. Never throws.
bool MatchPattern(const UrlPattern& pattern,
                  const char16_t* input,
                  MatchState* state,
                  uint64_t step_budget = kUnlimitedSteps,
                  MatchMode mode = MatchMode::kRemembersFailures);
bool MatchPattern(const UrlPattern& pattern,
                  std::u16string_view input,
                  MatchState* state,
                  uint64_t step_budget = kUnlimitedSteps,
                  MatchMode mode = MatchMode::kRemembersFailures);
// As MatchPattern, for an input already folded A-Z (the caller folds it once for many
// patterns). `input` must hold no 0 code unit.
bool MatchFoldedInput(const UrlPattern& pattern,
                      std::u16string_view folded_input,
                      MatchState* state,
                      uint64_t step_budget = kUnlimitedSteps,
                      MatchMode mode = MatchMode::kRemembersFailures);

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_MATCHER_H_
