// The backtracking machine behind MatchPattern. Internal to the matcher: its parts live in
// pattern_machine.cc (the step loop and one helper per instruction family),
// remembered_failures.cc, run_scan.cc and start_skipping.cc; the helpers every part runs
// per step or per character are defined inline below, so that splitting the machine costs
// no call on those paths. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_PATTERN_MACHINE_H_
#define ZELK_URLFILTER_PATTERN_PATTERN_MACHINE_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/instruction.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk {

// Runs one program against one (folded) input. Each instruction means one thing; the
// dispatch in Step names every kind, and the helpers carry out one kind or family each.
//
// Remembered failures. Backtracking from a Jump's position explores everything that can
// follow it; when the search falls back below the stack depth it had at the Jump, all of
// that failed. What follows a Jump depends only on the Jump and the position, with three
// exceptions: a back-reference reads what groups captured (such programs are run plainly);
// a negation's atom that matches cuts the stack (the marks above the cut are dropped, not
// remembered, since that path did not fail); and the end of an enclosing repeat's
// iteration compares the position with where the iteration began, which matters only
// while the two are equal, the position never going back within what follows. So a Jump
// is remembered, and looked up, only where every enclosing iteration has consumed
// something.
class PatternMachine {
 public:
  // An unset group bound. Inputs are kept shorter than this, so no position equals it.
  static constexpr uint32_t kUnset = 0xffffffff;

  // Prepares `state` and runs `pattern` against `text`, folded first when `fold` is set
  // and the pattern is not case-sensitive; see MatchPattern.
  static bool Match(const UrlPattern& pattern,
                    std::u16string_view text,
                    bool fold,
                    MatchState* state,
                    uint64_t step_budget,
                    MatchMode mode);

 private:
  // Stack entries are untyped addresses, except three kinds that backtracking recognises by
  // their top bits: a LazyCall's point, which sits on the input position to put back, a
  // BeginIteration's restore, which sits on the slot's old value, and a scanned repeat's
  // point, which sits on the first and the last position still to try. Programs are far
  // shorter than 2^29 instructions and slots, so no address or slot number has these bits.
  static constexpr uint32_t kRestoresPosition = 0x80000000;
  static constexpr uint32_t kRestoresSlot = 0x40000000;
  static constexpr uint32_t kGivesBack = kRestoresPosition | kRestoresSlot;
  static constexpr uint32_t kEntryKind = kGivesBack;
  // A searched loop's iteration that began at most kMaxPackedLength characters after the
  // iteration before it is one untyped entry: its backtrack point, marked, with that length
  // in the bits between the point's address and the kind (see EnterIteration).
  static constexpr uint32_t kPackedIteration = 0x20000000;
  static constexpr uint32_t kPackedLengthShift = 20;
  static constexpr uint32_t kPackedAddress = (uint32_t{1} << kPackedLengthShift) - 1;
  static constexpr uint32_t kMaxPackedLength = (kPackedIteration >> kPackedLengthShift) - 1;
  static_assert(kMaxPatternInstructions <= kPackedAddress + 1, "a packed point holds any address");
  // The pattern's first instruction, after "0 Call 2; 1 NextStart".
  static constexpr uint32_t kFirstOfPattern = 2;
  // In a RepeatOne shape, where the one-character term and the "Jump end" lie.
  static constexpr uint32_t kRepeatTermOffset = 7;
  static constexpr uint32_t kRepeatEndJumpOffset = 6;
  // Beyond this depth the next growth of the stack could not be counted in 32 bits.
  static constexpr uint32_t kMaxStackDepth = 0x3fffffff;
  // The end of the starts worth trying, before it is worked out.
  static constexpr size_t kNoLimitYet = ~size_t{0};
  // An address where no failure is remembered.
  static constexpr uint32_t kNoPoint = 0xffffffff;

  enum class Outcome { kRunning, kAccepted, kFailed, kAbandoned };

  PatternMachine(const UrlPattern& pattern,
                 std::u16string_view text,
                 MatchState* state,
                 uint64_t step_budget)
      : pattern_(pattern),
        program_(pattern.instructions()),
        text_(text),
        state_(*state),
        budget_(step_budget) {}

  // The step loop and the instruction helpers (pattern_machine.cc).
  bool Run(MatchMode mode);
  void Reset(MatchMode mode);
  uint32_t Step(uint32_t address);
  uint32_t Backtrack();
  bool PutSlotBack(uint32_t slot);
  uint32_t MatchChar(uint32_t c, uint32_t address);
  uint32_t MatchAny(uint32_t address);
  uint32_t MatchClass(bool wanted, uint32_t end, uint32_t address);
  uint32_t BackRef(uint32_t group, uint32_t next);
  uint32_t Call(uint32_t target, uint32_t resume);
  uint32_t Jump(uint32_t address, uint32_t target);
  uint32_t Land(uint32_t target);
  uint32_t Progressed(uint32_t address);
  uint32_t BeginIteration(uint32_t slot, uint32_t address);
  uint32_t CutDepth(uint32_t depth, uint32_t address);
  uint32_t SaveGroup(uint32_t group, uint32_t address);
  uint32_t RestoreGroup(uint32_t group, uint32_t address);
  uint32_t EnterGroup(uint32_t address, uint32_t target);
  uint32_t EnterAlternatives(uint32_t address);
  uint32_t EnterIteration(uint32_t slot, uint32_t address);
  uint32_t UnpackIteration(uint32_t entry);
  uint32_t LeaveIteration(uint32_t address);
  uint32_t ResumeAfterIteration(uint32_t slot, uint32_t address);
  uint32_t EndIteration(uint32_t address);
  uint32_t OneCharacterEnd(size_t term) const;
  uint32_t PastGroupEntry(uint32_t target) const;
  uint32_t ClosingPoint(uint32_t head) const;

  // Remembered failures (remembered_failures.cc, the per-step parts inline below).
  void StartRemembering(MatchMode mode, size_t points);
  void MapPoints();
  uint64_t SearchLimit(size_t points) const;
  size_t MemoBit(uint32_t point, uint32_t pos) const { return point * (text_.size() + 1) + pos; }
  uint32_t MarkBit(uint32_t point, uint32_t pos) const {
    return static_cast<uint32_t>(MemoBit(point, pos));
  }
  uint32_t PointAt(uint32_t address) const;
  bool HasGuards(uint32_t point) const;
  bool GuardsHold(uint32_t point, uint32_t pos) const;
  bool KnownToFail(uint32_t point, uint32_t pos) const;
  void Remember(uint32_t point, uint32_t pos);
  void RememberFailed(uint32_t point, uint32_t pos);

  // The scan of run terms (run_scan.cc).
  uint32_t ScanRepeat(uint32_t address);
  uint32_t RunOnce(uint32_t repeat);
  uint32_t RunEnd(uint32_t term, uint32_t point, uint32_t first, uint32_t cap) const;
  bool RetryShorterRun(uint32_t address);
  bool GiveBack(uint32_t address, uint32_t first, uint32_t pos);
  uint32_t LastOpen(uint32_t point, uint32_t follower, uint32_t first, uint32_t pos);
  uint32_t LastOpenBefore(char16_t c, size_t base, uint32_t first, uint32_t pos);
  bool TermRefuses(uint32_t address, char16_t c) const;
  uint32_t Follower(uint32_t repeat) const {
    return program_[repeat + kRepeatEndJumpOffset].operand();
  }

  // The choice of start positions (start_skipping.cc).
  uint32_t NextStart();
  size_t StartLimit();
  bool StartKnownToFail(size_t start);
  uint32_t LoopPoint(uint32_t address) const;
  size_t PassFailedStarts(size_t next, size_t stop);

  // Small helpers shared by every part.
  bool AtEnd() const { return pos_ >= text_.size(); }
  char16_t Current() const { return AtEnd() ? 0 : text_[pos_]; }
  uint32_t End(Outcome outcome) {
    outcome_ = outcome;
    return 0;
  }
  uint32_t Next(bool ok, uint32_t address) { return ok ? address + 1 : End(Outcome::kAbandoned); }
  bool Push(uint32_t value);
  uint32_t Pop();
  bool SetPos(uint32_t pos);
  uint32_t& Slot(uint32_t slot) { return state_.slots_[slot]; }
  uint32_t* Group(uint32_t group) { return &state_.groups_[2 * static_cast<size_t>(group)]; }
  bool IsGroupEntry(uint32_t address, uint32_t target) const;
  bool TermMatches(uint32_t term, char16_t c) const;
  bool InMembers(uint32_t first, uint32_t end, char16_t c) const;

  const UrlPattern& pattern_;
  const std::vector<PatternInstruction>& program_;
  std::u16string_view text_;
  MatchState& state_;
  uint64_t budget_;
  bool remembers_ = false;
  bool scans_ = false;  // RepeatOne runs as a scan (plain backtracking runs it as SaveSlot)
  uint32_t start_ = 0;
  size_t start_limit_ = kNoLimitYet;
  uint32_t pos_ = 0;
  Outcome outcome_ = Outcome::kRunning;
};

// When the stack is full its size becomes twice the new depth plus 2. A growth that cannot
// be had fails the push, and the match is abandoned.
inline bool PatternMachine::Push(uint32_t value) {
  PlainStack<uint32_t>& stack = state_.stack_;
  const uint32_t depth = state_.depth_ + 1;
  if (depth >= stack.capacity()) {
    const size_t size = 2 * static_cast<size_t>(depth) + 2;
    if (depth > kMaxStackDepth || size > state_.stack_limit_ || !stack.Grow(size)) {
      return false;
    }
  }
  stack[depth] = value;
  state_.depth_ = depth;
  return true;
}

// Popping from an empty stack yields 0. Falling below the depth of a remembered Jump means
// that everything after it failed.
inline uint32_t PatternMachine::Pop() {
  if (state_.depth_ == 0) {
    return 0;
  }
  const uint32_t value = state_.stack_[state_.depth_--];
  PlainStack<MatchState::MemoMark>& marks = state_.marks_;
  while (!marks.empty() && marks.back().depth > state_.depth_) {
    const uint32_t bit = marks.back().bit;
    state_.failed_[bit / 64] |= uint64_t{1} << (bit % 64);
    marks.pop_back();
  }
  return value;
}

inline bool PatternMachine::SetPos(uint32_t pos) {
  if (pos > text_.size()) {
    return false;
  }
  pos_ = pos;
  return true;
}

// "Call t; Return; t ..." opens a group: its backtrack point leads only to a Return, which
// backtracks on. When scanning, the point is left out, which changes no answer and spares a
// push and a pop per group entered.
inline bool PatternMachine::IsGroupEntry(uint32_t address, uint32_t target) const {
  return target == address + 2 && target < program_.size() &&
         program_[address + 1].op() == Op::kReturn;
}

inline bool PatternMachine::TermMatches(uint32_t term, char16_t c) const {
  const PatternInstruction& instruction = program_[term];
  switch (instruction.op()) {
    case Op::kChar:
      return c == instruction.operand();
    case Op::kAnyChar:
      return true;
    case Op::kInClass:
      return InMembers(term + 1, instruction.operand(), c);
    case Op::kNotInClass:
      return !InMembers(term + 1, instruction.operand(), c);
    default:
      return false;
  }
}

// True when the instruction at `address` matches one character and `c` is not one of them.
inline bool PatternMachine::TermRefuses(uint32_t address, char16_t c) const {
  if (address >= program_.size()) {
    return false;
  }
  switch (program_[address].op()) {
    case Op::kChar:
    case Op::kInClass:
    case Op::kNotInClass:
      return !TermMatches(address, c);
    default:
      return false;
  }
}

// Members are pairs of Nop (low, high) from `first` up to `end`.
inline bool PatternMachine::InMembers(uint32_t first, uint32_t end, char16_t c) const {
  const size_t stop = std::min<size_t>(end, program_.size());
  for (size_t address = first; address + 1 < stop; address += 2) {
    if (program_[address].operand() <= c && c <= program_[address + 1].operand()) {
      return true;
    }
  }
  return false;
}

// A back-reference makes what follows a Jump depend on what groups captured, so such a
// program is run plainly; so is one whose table would outgrow kMaxMemoBits. The table is
// cleared for each match: a failure belongs to one input.
inline void PatternMachine::StartRemembering(MatchMode mode, size_t points) {
  remembers_ = mode == MatchMode::kRemembersFailures && !pattern_.has_back_references() &&
               points != 0 && points <= kMaxMemoBits / (text_.size() + 1);
  if (remembers_) {
    state_.failed_.assign((points * (text_.size() + 1) + 63) / 64, 0);
    MapPoints();
  }
}

inline uint32_t PatternMachine::PointAt(uint32_t address) const {
  return remembers_ ? state_.point_at_[address] : kNoPoint;
}

inline bool PatternMachine::HasGuards(uint32_t point) const {
  const MemoPoint& memo = pattern_.memo_points()[point];
  return memo.guards_begin != memo.guards_end;
}

// A guard is the slot where an enclosing iteration began. While the position still equals
// it, what follows may end that iteration as one that consumed nothing and fail for that
// alone, so a failure there says nothing about other times, and is neither kept nor read.
inline bool PatternMachine::GuardsHold(uint32_t point, uint32_t pos) const {
  const MemoPoint& memo = pattern_.memo_points()[point];
  const std::vector<uint32_t>& guards = pattern_.memo_guards();
  for (uint32_t i = memo.guards_begin; i < memo.guards_end; ++i) {
    if (state_.slots_[guards[i]] == pos) {
      return false;
    }
  }
  return true;
}

// True when the search has failed from `point` at `pos` before, and that still holds.
inline bool PatternMachine::KnownToFail(uint32_t point, uint32_t pos) const {
  if (point == kNoPoint || !GuardsHold(point, pos)) {
    return false;
  }
  const size_t bit = MemoBit(point, pos);
  return (state_.failed_[bit / 64] >> (bit % 64)) & 1;
}

// The failure of what follows `point` at `pos` is remembered once the search falls back
// below the current depth.
inline void PatternMachine::Remember(uint32_t point, uint32_t pos) {
  if (point != kNoPoint && GuardsHold(point, pos)) {
    state_.marks_.push_back(MatchState::MemoMark{state_.depth_, MarkBit(point, pos)});
  }
}

// For a failure known at once, with no search to wait for.
inline void PatternMachine::RememberFailed(uint32_t point, uint32_t pos) {
  if (point != kNoPoint && GuardsHold(point, pos)) {
    const size_t bit = MemoBit(point, pos);
    state_.failed_[bit / 64] |= uint64_t{1} << (bit % 64);
  }
}

// Sets the bits [begin, end) of `words`, a word at a time.
inline void SetBits(uint64_t* words, size_t begin, size_t end) {
  while (begin < end) {
    const size_t shift = begin % 64;
    const size_t count = std::min<size_t>(64 - shift, end - begin);
    const uint64_t ones = count == 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
    words[begin / 64] |= ones << shift;
    begin += count;
  }
}

// The first bit from `begin` up to `end` that is clear, `end` when there is none.
inline size_t FirstClearBit(const uint64_t* words, size_t begin, size_t end) {
  while (begin < end) {
    const uint64_t clear = ~words[begin / 64] >> (begin % 64);
    if (clear != 0) {
      return std::min(end, begin + static_cast<size_t>(__builtin_ctzll(clear)));
    }
    begin += 64 - begin % 64;
  }
  return end;
}

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_PATTERN_MACHINE_H_
