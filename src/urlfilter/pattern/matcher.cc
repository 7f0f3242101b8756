#include "urlfilter/pattern/matcher.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

#include "common/text.h"

namespace zelk {

namespace {

constexpr size_t kInitialStackEntries = 256;
// An unset group bound. Inputs are kept shorter than this, so no position equals it.
constexpr uint32_t kUnset = 0xffffffff;
// Stack entries are untyped addresses, except three kinds that backtracking recognises by
// their top bits: a LazyCall's point, which sits on the input position to put back, a
// BeginIteration's restore, which sits on the slot's old value, and a scanned repeat's
// point, which sits on the first and the last position still to try. Programs are far
// shorter than 2^29 instructions and slots, so no address or slot number has these bits.
constexpr uint32_t kRestoresPosition = 0x80000000;
constexpr uint32_t kRestoresSlot = 0x40000000;
constexpr uint32_t kGivesBack = kRestoresPosition | kRestoresSlot;
constexpr uint32_t kEntryKind = kGivesBack;
// The pattern's first instruction, after "0 Call 2; 1 NextStart".
constexpr uint32_t kFirstOfPattern = 2;
// In a RepeatOne shape, where the one-character term and the "Jump end" lie.
constexpr uint32_t kRepeatTermOffset = 7;
constexpr uint32_t kRepeatEndJumpOffset = 6;
// Beyond this depth the next growth of the stack could not be counted in 32 bits.
constexpr uint32_t kMaxStackDepth = 0x3fffffff;
// An address where no failure is remembered.
constexpr uint32_t kNoPoint = 0xffffffff;

}  // namespace

MatchState::MatchState() : stack_(kInitialStackEntries) {}

size_t MatchState::GroupBound(size_t index) const {
  if (index >= groups_.size() || groups_[index] == kUnset) {
    return kNoPosition;
  }
  return groups_[index];
}

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
  // Prepares `state` and runs `pattern` against `text`, folded first when `fold` is set
  // and the pattern is not case-sensitive; see MatchPattern.
  static bool Match(const UrlPattern& pattern,
                    std::u16string_view text,
                    bool fold,
                    MatchState* state,
                    uint64_t step_budget,
                    MatchMode mode);

 private:
  PatternMachine(const UrlPattern& pattern,
                 std::u16string_view text,
                 MatchState* state,
                 uint64_t step_budget)
      : pattern_(pattern),
        program_(pattern.instructions()),
        text_(text),
        state_(*state),
        budget_(step_budget) {}

  // Resets the state for the pattern and runs to an answer, or to the end of the budget.
  bool Run(MatchMode mode);
  // The steps this search may take whatever the caller grants; see kStepsPerCell.
  uint64_t SearchLimit(size_t points) const;

  enum class Outcome { kRunning, kAccepted, kFailed, kAbandoned };

  bool AtEnd() const { return pos_ >= text_.size(); }
  char16_t Current() const { return AtEnd() ? 0 : text_[pos_]; }
  uint32_t End(Outcome outcome);
  bool Push(uint32_t value);
  uint32_t Pop();
  bool SetPos(uint32_t pos);
  uint32_t Next(bool ok, uint32_t address) { return ok ? address + 1 : End(Outcome::kAbandoned); }

  uint32_t Step(uint32_t address);
  uint32_t Backtrack();
  uint32_t MatchChar(uint32_t c, uint32_t address);
  uint32_t MatchAny(uint32_t address);
  uint32_t MatchClass(bool wanted, uint32_t end, uint32_t address);
  bool InMembers(uint32_t first, uint32_t end, char16_t c) const;
  uint32_t BackRef(uint32_t group, uint32_t next);
  uint32_t Call(uint32_t target, uint32_t resume);
  uint32_t Jump(uint32_t address, uint32_t target);
  uint32_t BeginIteration(uint32_t slot, uint32_t address);
  uint32_t ScanRepeat(uint32_t address);
  uint32_t RunOnce(uint32_t repeat);
  bool TermMatches(uint32_t term, char16_t c) const;
  bool TermRefuses(uint32_t address, char16_t c) const;
  bool GiveBack(uint32_t address, uint32_t first, uint32_t pos);
  uint32_t LastOpen(uint32_t point, uint32_t follower, uint32_t first, uint32_t pos);
  uint32_t RunEnd(uint32_t term, uint32_t point, uint32_t first, uint32_t cap) const;
  bool HasGuards(uint32_t point) const;
  uint32_t PointAt(uint32_t address) const;
  bool KnownToFail(uint32_t point, uint32_t pos) const;
  void Remember(uint32_t point, uint32_t pos);
  void RememberFailed(uint32_t point, uint32_t pos);
  uint32_t CutDepth(uint32_t depth, uint32_t address);
  uint32_t SaveGroup(uint32_t group, uint32_t address);
  uint32_t RestoreGroup(uint32_t group, uint32_t address);
  uint32_t NextStart();
  bool StartKnownToFail(size_t start);
  bool IsGroupEntry(uint32_t address, uint32_t target) const;
  uint32_t EnterGroup(uint32_t address, uint32_t target);
  uint32_t& Slot(uint32_t slot) { return state_.slots_[slot]; }
  uint32_t* Group(uint32_t group) { return &state_.groups_[2 * static_cast<size_t>(group)]; }
  void MapPoints();
  bool GuardsHold(uint32_t point, uint32_t pos) const;
  size_t MemoBit(uint32_t point, uint32_t pos) const { return point * (text_.size() + 1) + pos; }

  const UrlPattern& pattern_;
  const std::vector<PatternInstruction>& program_;
  std::u16string_view text_;
  MatchState& state_;
  uint64_t budget_;
  bool remembers_ = false;
  bool scans_ = false;  // RepeatOne runs as a scan (plain backtracking runs it as SaveSlot)
  uint32_t start_ = 0;
  uint32_t pos_ = 0;
  Outcome outcome_ = Outcome::kRunning;
};

bool PatternMachine::Run(MatchMode mode) {
  state_.depth_ = 0;
  state_.steps_ = 0;
  state_.groups_.assign(2 * static_cast<size_t>(pattern_.group_count()), kUnset);
  state_.slots_.assign(pattern_.slot_count(), 0);
  state_.marks_.clear();
  const size_t points = pattern_.memo_points().size();
  remembers_ = mode == MatchMode::kRemembersFailures && !pattern_.has_back_references() &&
               points != 0 && points <= kMaxMemoBits / (text_.size() + 1);
  if (remembers_) {
    state_.failed_.assign((points * (text_.size() + 1) + 63) / 64, 0);
    MapPoints();
  }
  scans_ = mode == MatchMode::kRemembersFailures;
  if (scans_) {
    budget_ = std::min(budget_, SearchLimit(points));
  }
  uint32_t address = 0;
  while (outcome_ == Outcome::kRunning) {
    if (address == 0) {
      state_.match_start_ = pos_;
    }
    if (state_.steps_ >= budget_) {
      End(Outcome::kAbandoned);
      break;
    }
    ++state_.steps_;
    address = Step(address);
  }
  state_.match_end_ = pos_;
  state_.abandoned_ = outcome_ == Outcome::kAbandoned;
  return outcome_ == Outcome::kAccepted;
}

// A linear search's limit grows with program x input; the product stays far below 2^64
// (programs are shorter than 2^20 instructions, inputs than 2^32 characters).
uint64_t PatternMachine::SearchLimit(size_t points) const {
  if (pattern_.has_back_references() || (points != 0 && !remembers_)) {
    return kUnrememberedStepLimit;
  }
  const uint64_t cells = program_.size() * (static_cast<uint64_t>(text_.size()) + 1);
  return std::max(kUnrememberedStepLimit, kStepsPerCell * cells);
}

uint32_t PatternMachine::End(Outcome outcome) {
  outcome_ = outcome;
  return 0;
}

// When the stack is full its size becomes twice the new depth plus 2. A growth that cannot
// be had fails the push, and the match is abandoned.
inline bool PatternMachine::Push(uint32_t value) {
  std::vector<uint32_t>& stack = state_.stack_;
  const uint32_t depth = state_.depth_ + 1;
  if (depth >= stack.size()) {
    const size_t size = 2 * static_cast<size_t>(depth) + 2;
    if (depth > kMaxStackDepth || size > state_.stack_limit_) {
      return false;
    }
    try {
      stack.resize(size);
    } catch (const std::bad_alloc&) {
      return false;
    } catch (const std::length_error&) {
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
  std::vector<MatchState::MemoMark>& marks = state_.marks_;
  while (!marks.empty() && marks.back().depth > state_.depth_) {
    const size_t bit = MemoBit(marks.back().point, marks.back().pos);
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

uint32_t PatternMachine::Step(uint32_t address) {
  if (address >= program_.size()) {
    return End(Outcome::kAbandoned);
  }
  const uint32_t operand = program_[address].operand();
  switch (program_[address].op()) {
    case Op::kNop:
      return address + 1;
    case Op::kChar:
      return MatchChar(operand, address);
    case Op::kAnyChar:
      return MatchAny(address);
    case Op::kInClass:
      return MatchClass(true, operand, address);
    case Op::kNotInClass:
      return MatchClass(false, operand, address);
    case Op::kJump:
      return Jump(address, operand);
    case Op::kCall:
      return EnterGroup(address, operand);
    case Op::kLazyCall:
      return Call(operand, (address + 1) | kRestoresPosition);
    case Op::kReturn:
      return Backtrack();
    case Op::kSavePos:
      return Next(Push(pos_), address);
    case Op::kRestorePos:
      return Next(SetPos(Pop()), address);
    case Op::kSaveSlot:
      return Next(Push(Slot(operand)), address);
    case Op::kRepeatOne:
      return scans_ ? ScanRepeat(address) : Next(Push(Slot(operand)), address);
    case Op::kRunOnce:
      return scans_ ? RunOnce(operand) : address + 1;
    case Op::kRestoreSlot:
      Slot(operand) = Pop();
      return address + 1;
    case Op::kSetSlotPos:
      Slot(operand) = pos_;
      return address + 1;
    case Op::kSetSlotDepth:
      Slot(operand) = state_.depth_;
      return address + 1;
    case Op::kLoadPosFromSlot:
      return Next(SetPos(Slot(operand)), address);
    case Op::kLoadDepthFromSlot:
      return CutDepth(Slot(operand), address);
    case Op::kFailIfNoProgress:
      return pos_ == Slot(operand) ? Backtrack() : address + 1;
    case Op::kBeginIteration:
      return BeginIteration(operand, address);
    case Op::kBackRef:
      return BackRef(operand, address + 1);
    case Op::kGroupOpen:
      Group(operand)[0] = pos_;
      return address + 1;
    case Op::kGroupClose:
      Group(operand)[1] = pos_;
      return address + 1;
    case Op::kSaveGroup:
      return SaveGroup(operand, address);
    case Op::kRestoreGroup:
      return RestoreGroup(operand, address);
    case Op::kNextStart:
      return NextStart();
    case Op::kReject:
      return End(Outcome::kFailed);
    case Op::kAccept:
      return End(Outcome::kAccepted);
  }
  return End(Outcome::kAbandoned);
}

// Pops the next backtrack point. A BeginIteration's restore puts the slot back and looks
// further; a LazyCall's point puts the position back and resumes after the LazyCall.
uint32_t PatternMachine::Backtrack() {
  for (;;) {
    const uint32_t entry = Pop();
    switch (entry & kEntryKind) {
      case 0:
        return entry;
      case kGivesBack: {
        const uint32_t address = entry & ~kEntryKind;
        const uint32_t pos = Pop();
        const uint32_t first = Pop();
        if (pos > first && GiveBack(address, first, pos - 1)) {
          return program_[address + kRepeatEndJumpOffset].operand();
        }
        if (outcome_ != Outcome::kRunning) {
          return 0;
        }
        continue;
      }
      case kRestoresSlot: {
        const uint32_t slot = entry & ~kEntryKind;
        const uint32_t value = Pop();
        if (slot >= state_.slots_.size()) {
          return End(Outcome::kAbandoned);
        }
        Slot(slot) = value;
        continue;
      }
      default: {
        const uint32_t resume = entry & ~kEntryKind;
        if (resume == 0 || !SetPos(Pop())) {
          return End(Outcome::kAbandoned);
        }
        return resume;
      }
    }
  }
}

// The end of input (code 0) is matched without moving, so no position ever lies past the
// input.
uint32_t PatternMachine::MatchChar(uint32_t c, uint32_t address) {
  if (Current() != c) {
    return Backtrack();
  }
  pos_ += AtEnd() ? 0 : 1;
  return address + 1;
}

uint32_t PatternMachine::MatchAny(uint32_t address) {
  if (AtEnd()) {
    return Backtrack();
  }
  ++pos_;
  return address + 1;
}

uint32_t PatternMachine::MatchClass(bool wanted, uint32_t end, uint32_t address) {
  if (AtEnd() || InMembers(address + 1, end, Current()) != wanted) {
    return Backtrack();
  }
  ++pos_;
  return end;
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

// The text the group last captured; empty while either bound is unset, or while the end is
// still that of an earlier pass and lies before the start.
uint32_t PatternMachine::BackRef(uint32_t group, uint32_t next) {
  const uint32_t start = Group(group)[0];
  const uint32_t end = Group(group)[1];
  const size_t length = (start == kUnset || end == kUnset || end < start) ? 0 : end - start;
  if (length > text_.size() - pos_ ||
      std::char_traits<char16_t>::compare(text_.data() + pos_, text_.data() + start, length)) {
    return Backtrack();
  }
  pos_ += static_cast<uint32_t>(length);
  return next;
}

// A backtrack point that puts the position back: the position, then the marked address.
uint32_t PatternMachine::Call(uint32_t target, uint32_t resume) {
  if (!Push(pos_) || !Push(resume)) {
    return End(Outcome::kAbandoned);
  }
  return target;
}

uint32_t PatternMachine::Jump(uint32_t address, uint32_t target) {
  const uint32_t point = PointAt(address);
  if (KnownToFail(point, pos_)) {
    return Backtrack();
  }
  Remember(point, pos_);
  return target;
}

// Each address's remembered point, kNoPoint for the others: one look-up per Jump instead of
// a search through the points.
void PatternMachine::MapPoints() {
  std::vector<uint32_t>& map = state_.point_at_;
  map.assign(program_.size(), kNoPoint);
  const std::vector<MemoPoint>& points = pattern_.memo_points();
  for (uint32_t i = 0; i < points.size(); ++i) {
    if (points[i].address < map.size()) {
      map[points[i].address] = i;
    }
  }
}

inline bool PatternMachine::HasGuards(uint32_t point) const {
  const MemoPoint& memo = pattern_.memo_points()[point];
  return memo.guards_begin != memo.guards_end;
}

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

// A greedy "*" of one character, or of a run term (whose set stands where the term would),
// run as a scan. It takes every character the term matches and then tries what follows from the
// longest run down, one character given back at a time, as the loop of its shape would; the slot is
// never read, since the term cannot consume nothing. When failures are remembered, the repeat's
// point means "from this position, the repeat and all that follows it fail": the longest run is
// tried first, so when what follows fails at a position it has failed at every later one. A scan
// therefore stops at a position known to fail, and a search passes each position of the repeat once
// however often it enters it. Each character scanned is one step.
uint32_t PatternMachine::ScanRepeat(uint32_t address) {
  if (static_cast<size_t>(address) + kRepeatTermOffset >= program_.size()) {
    return End(Outcome::kAbandoned);
  }
  const uint32_t point = PointAt(address);
  const uint32_t first = pos_;
  if (KnownToFail(point, first)) {
    return Backtrack();
  }
  const uint64_t room = budget_ - state_.steps_;
  const uint32_t cap = static_cast<uint32_t>(
      std::min<uint64_t>(text_.size(), first + std::min<uint64_t>(room, text_.size())));
  const uint32_t last = RunEnd(address + kRepeatTermOffset, point, first, cap);
  state_.steps_ += last - first;
  if (last - first >= room) {
    return End(Outcome::kAbandoned);
  }
  return GiveBack(address, first, last) ? program_[address + kRepeatEndJumpOffset].operand()
                                        : Backtrack();
}

// The first copy of a "+" of a run term, taken as one character of the set that the
// RepeatOne after it scans.
uint32_t PatternMachine::RunOnce(uint32_t repeat) {
  if (static_cast<size_t>(repeat) + kRepeatTermOffset >= program_.size()) {
    return End(Outcome::kAbandoned);
  }
  if (AtEnd() || !TermMatches(repeat + kRepeatTermOffset, Current())) {
    return Backtrack();
  }
  ++pos_;
  return repeat;
}

// The first position from `first` on, up to `cap`, at which the term refuses the character
// or after which the repeat is known to fail.
uint32_t PatternMachine::RunEnd(uint32_t term, uint32_t point, uint32_t first, uint32_t cap) const {
  uint32_t last = first;
  if (point == kNoPoint || HasGuards(point)) {
    while (last < cap && TermMatches(term, text_[last]) && !KnownToFail(point, last + 1)) {
      ++last;
    }
    return last;
  }
  const uint64_t* const failed = state_.failed_.data();
  const size_t base = MemoBit(point, 1);
  while (last < cap && TermMatches(term, text_[last]) &&
         ((failed[(base + last) / 64] >> ((base + last) % 64)) & 1) == 0) {
    ++last;
  }
  return last;
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

// Sets the position to the longest run from `first` up to `pos` not known to fail, with a
// backtrack point that gives the next character back; false when every run is known to fail
// (or the stack cannot grow, which abandons the match).
// What follows is not even started at a position whose character it cannot begin with;
// that position fails at once, and is remembered so at once.
bool PatternMachine::GiveBack(uint32_t address, uint32_t first, uint32_t pos) {
  const uint32_t point = PointAt(address);
  const uint32_t follower = program_[address + kRepeatEndJumpOffset].operand();
  pos = LastOpen(point, follower, first, pos);
  if (pos == kNoPoint) {
    return false;
  }
  if (!Push(first) || !Push(pos) || !Push(address | kGivesBack)) {
    End(Outcome::kAbandoned);
    return false;
  }
  Remember(point, pos);
  pos_ = pos;
  return true;
}

// The highest position from `pos` down to `first` at which what follows is neither refused
// by its first instruction nor known to fail, kNoPoint when there is none; each refused
// position is remembered as failed. A point no repeat guards has its bits read and written
// directly: this loop runs once per character given back.
uint32_t PatternMachine::LastOpen(uint32_t point, uint32_t follower, uint32_t first, uint32_t pos) {
  if (point == kNoPoint || HasGuards(point)) {
    for (;; --pos) {
      if (pos < text_.size() && TermRefuses(follower, text_[pos])) {
        RememberFailed(point, pos);
      } else if (!KnownToFail(point, pos)) {
        return pos;
      }
      if (pos == first) {
        return kNoPoint;
      }
    }
  }
  uint64_t* const failed = state_.failed_.data();
  const size_t base = MemoBit(point, 0);
  for (;; --pos) {
    uint64_t& word = failed[(base + pos) / 64];
    const uint64_t bit = uint64_t{1} << ((base + pos) % 64);
    if (pos < text_.size() && TermRefuses(follower, text_[pos])) {
      word |= bit;
    } else if ((word & bit) == 0) {
      return pos;
    }
    if (pos == first) {
      return kNoPoint;
    }
  }
}

inline uint32_t PatternMachine::PointAt(uint32_t address) const {
  return remembers_ ? state_.point_at_[address] : kNoPoint;
}

// True when the search has failed from `point` at `pos` before, and that still holds.
inline bool PatternMachine::KnownToFail(uint32_t point, uint32_t pos) const {
  if (point == kNoPoint || !GuardsHold(point, pos)) {
    return false;
  }
  const size_t bit = MemoBit(point, pos);
  return (state_.failed_[bit / 64] >> (bit % 64)) & 1;
}

inline void PatternMachine::RememberFailed(uint32_t point, uint32_t pos) {
  if (point != kNoPoint && GuardsHold(point, pos)) {
    const size_t bit = MemoBit(point, pos);
    state_.failed_[bit / 64] |= uint64_t{1} << (bit % 64);
  }
}

// The failure of what follows `point` at `pos` is remembered once the search falls back
// below the current depth.
inline void PatternMachine::Remember(uint32_t point, uint32_t pos) {
  if (point != kNoPoint && GuardsHold(point, pos)) {
    state_.marks_.push_back(MatchState::MemoMark{state_.depth_, point, pos});
  }
}

// The slot's old value and a marked restore go on the stack, so that backtracking past
// this iteration gives the repeat back the start of the iteration before it.
uint32_t PatternMachine::BeginIteration(uint32_t slot, uint32_t address) {
  if (!Push(Slot(slot)) || !Push(slot | kRestoresSlot)) {
    return End(Outcome::kAbandoned);
  }
  Slot(slot) = pos_;
  return address + 1;
}

// A negation's atom matched: the points it pushed are dropped, and with them the marks of
// the Jumps passed since, whose paths did not fail.
uint32_t PatternMachine::CutDepth(uint32_t depth, uint32_t address) {
  state_.depth_ = std::min(depth, state_.depth_);
  std::vector<MatchState::MemoMark>& marks = state_.marks_;
  while (!marks.empty() && marks.back().depth > state_.depth_) {
    marks.pop_back();
  }
  return address + 1;
}

uint32_t PatternMachine::SaveGroup(uint32_t group, uint32_t address) {
  const uint32_t* bounds = Group(group);
  return Next(Push(bounds[0]) && Push(bounds[1]), address);
}

uint32_t PatternMachine::RestoreGroup(uint32_t group, uint32_t address) {
  uint32_t* bounds = Group(group);
  bounds[1] = Pop();
  bounds[0] = Pop();
  return address + 1;
}

// The attempt at this start failed. The next start is one character on, unless that is the
// end of input, which is never a start. Failures remembered so far stay true: what follows
// a Jump does not depend on where the attempt started. When scanning, a start whose attempt
// is known to fail before it begins is passed over (a failed search then reports the last
// start it tried).
uint32_t PatternMachine::NextStart() {
  size_t next = start_ + static_cast<size_t>(1);
  while (scans_ && next < text_.size() && StartKnownToFail(next)) {
    ++next;
  }
  if (next >= text_.size()) {
    return End(Outcome::kFailed);
  }
  start_ = static_cast<uint32_t>(next);
  pos_ = start_;
  state_.depth_ = 0;
  state_.marks_.clear();
  return 0;
}

// True when the attempt at `start` must fail: the pattern opens with groups and single
// characters, and one of those characters refuses the input there, or the repeat they lead
// to is known to fail where they end. Nothing on that path leaves a backtrack point of its
// own, so the attempt would fail at once. Each instruction looked at is one step; at the
// end of the budget the attempt is left to run, and to be abandoned.
bool PatternMachine::StartKnownToFail(size_t start) {
  uint32_t address = kFirstOfPattern;
  size_t pos = start;
  while (address < program_.size() && state_.steps_ < budget_) {
    ++state_.steps_;
    const PatternInstruction& instruction = program_[address];
    switch (instruction.op()) {
      case Op::kCall:
        if (!IsGroupEntry(address, instruction.operand())) {
          return false;
        }
        address = instruction.operand();
        continue;
      case Op::kRepeatOne:
        return KnownToFail(PointAt(address), static_cast<uint32_t>(pos));
      case Op::kRunOnce:
        if (pos >= text_.size() || instruction.operand() <= address ||
            static_cast<size_t>(instruction.operand()) + kRepeatTermOffset >= program_.size()) {
          return false;
        }
        if (!TermMatches(instruction.operand() + kRepeatTermOffset, text_[pos++])) {
          return true;
        }
        address = instruction.operand();
        continue;
      case Op::kChar:
      case Op::kAnyChar:
      case Op::kInClass:
      case Op::kNotInClass:
        if (pos >= text_.size()) {
          return false;
        }
        if (!TermMatches(address, text_[pos++])) {
          return true;
        }
        address = instruction.op() == Op::kInClass || instruction.op() == Op::kNotInClass
                      ? instruction.operand()
                      : address + 1;
        continue;
      default:
        return false;
    }
  }
  return false;
}

// "Call t; Return; t ..." opens a group: its backtrack point leads only to a Return, which
// backtracks on. When scanning, the point is left out, which changes no answer and spares a
// push and a pop per group entered.
bool PatternMachine::IsGroupEntry(uint32_t address, uint32_t target) const {
  return target == address + 2 && target < program_.size() &&
         program_[address + 1].op() == Op::kReturn;
}

uint32_t PatternMachine::EnterGroup(uint32_t address, uint32_t target) {
  if (scans_ && IsGroupEntry(address, target)) {
    return target;
  }
  return Push(address + 1) ? target : End(Outcome::kAbandoned);
}

bool PatternMachine::Match(const UrlPattern& pattern,
                           std::u16string_view text,
                           bool fold,
                           MatchState* state,
                           uint64_t step_budget,
                           MatchMode mode) {
  state->match_start_ = 0;
  state->match_end_ = 0;
  state->groups_.clear();
  state->abandoned_ = true;
  if (pattern.last_error() != PatternError::kOk || pattern.instructions().empty() ||
      text.size() >= kUnset) {
    return false;
  }
  try {
    std::u16string folded;
    if (fold && !pattern.case_sensitive()) {
      folded = FoldAscii(text);
      text = folded;
    }
    return PatternMachine(pattern, text, state, step_budget).Run(mode);
  } catch (const std::exception&) {
    // Memory ran short (bad_alloc, length_error); the answer is unknown, so abandoned.
    return false;
  }
}

bool MatchFoldedInput(const UrlPattern& pattern,
                      std::u16string_view folded_input,
                      MatchState* state,
                      uint64_t step_budget,
                      MatchMode mode) {
  if (state == nullptr) {
    return false;
  }
  return PatternMachine::Match(pattern, folded_input, false, state, step_budget, mode);
}

bool MatchPattern(const UrlPattern& pattern,
                  std::u16string_view input,
                  MatchState* state,
                  uint64_t step_budget,
                  MatchMode mode) {
  if (state == nullptr) {
    return false;
  }
  return PatternMachine::Match(pattern, input.substr(0, input.find(u'\0')), true, state,
                               step_budget, mode);
}

bool MatchPattern(const UrlPattern& pattern,
                  const char16_t* input,
                  MatchState* state,
                  uint64_t step_budget,
                  MatchMode mode) {
  if (input == nullptr) {
    return false;
  }
  return MatchPattern(pattern, std::u16string_view(input), state, step_budget, mode);
}

}  // namespace zelk
