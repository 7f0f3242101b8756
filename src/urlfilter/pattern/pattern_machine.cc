#include "urlfilter/pattern/pattern_machine.h"

#include <algorithm>
#include <string>

namespace zelk {

// Clears what the previous match left in the state and settles how this one searches: a
// search that may scan is also held to the limit of its kind.
inline void PatternMachine::Reset(MatchMode mode) {
  state_.depth_ = 0;
  state_.steps_ = 0;
  state_.groups_.assign(2 * static_cast<size_t>(pattern_.group_count()), kUnset);
  state_.slots_.assign(pattern_.slot_count(), 0);
  state_.marks_.clear();
  const size_t points = pattern_.memo_points().size();
  StartRemembering(mode, points);
  scans_ = mode == MatchMode::kRemembersFailures;
  if (scans_) {
    budget_ = std::min(budget_, SearchLimit(points));
  }
}

bool PatternMachine::Run(MatchMode mode) {
  Reset(mode);
  uint32_t address = 0;
  while (outcome_ == Outcome::kRunning) {
    // Address 0 is reached only when an attempt begins, at its start position.
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
      return remembers_ ? EnterAlternatives(address) : Next(Push(pos_), address);
    case Op::kRestorePos:
      return remembers_ ? LeaveIteration(address) : Next(SetPos(Pop()), address);
    case Op::kSaveSlot:
      return remembers_ ? EnterIteration(operand, address) : Next(Push(Slot(operand)), address);
    case Op::kRepeatOne:
      return scans_ ? ScanRepeat(address) : Next(Push(Slot(operand)), address);
    case Op::kRunOnce:
      return scans_ ? RunOnce(operand) : address + 1;
    case Op::kRestoreSlot:
      if (remembers_) {
        return ResumeAfterIteration(operand, address);
      }
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
      return pos_ == Slot(operand) ? Backtrack() : Progressed(address);
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

// Pops the next backtrack point. A scanned repeat's point gives one more character back and
// tries what follows there; a BeginIteration's restore puts the slot back; both look further
// when they have nothing left to try. A LazyCall's point puts the position back and resumes
// after the LazyCall.
uint32_t PatternMachine::Backtrack() {
  for (;;) {
    const uint32_t entry = Pop();
    switch (entry & kEntryKind) {
      case 0:
        return (entry & kPackedIteration) != 0 ? UnpackIteration(entry) : entry;
      case kGivesBack:
        if (RetryShorterRun(entry & ~kEntryKind)) {
          return Follower(entry & ~kEntryKind);
        }
        if (outcome_ != Outcome::kRunning) {
          return 0;
        }
        continue;
      case kRestoresSlot:
        if (!PutSlotBack(entry & ~kEntryKind)) {
          return End(Outcome::kAbandoned);
        }
        continue;
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

// Pops the old value that BeginIteration saved under its restore into `slot`; false when
// the program has no such slot.
bool PatternMachine::PutSlotBack(uint32_t slot) {
  const uint32_t value = Pop();
  if (slot >= state_.slots_.size()) {
    return false;
  }
  Slot(slot) = value;
  return true;
}

// The end of input (code 0) is matched without moving, so no position ever lies past the
// input. A search takes the characters that follow in the program in the same step: no
// backtrack point lies between them, so failing at any of them fails them all.
uint32_t PatternMachine::MatchChar(uint32_t c, uint32_t address) {
  if (Current() != c) {
    return Backtrack();
  }
  if (c == 0) {
    return address + 1;
  }
  ++pos_;
  for (++address; scans_ && address < program_.size() && program_[address].op() == Op::kChar &&
                  program_[address].operand() != 0;
       ++address) {
    if (Current() != program_[address].operand()) {
      return Backtrack();
    }
    ++pos_;
  }
  return address;
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

// Every loop and branch passes a Jump, so this is where a search that has failed from here
// before stops, and where a new failure is marked to be remembered; the guards are read
// once for both. The Jump that closes a loop leaves its mark to the iteration it opens
// (see ClosingPoint).
uint32_t PatternMachine::Jump(uint32_t address, uint32_t target) {
  const uint32_t point = PointAt(address);
  if (point != kNoPoint && GuardsHold(point, pos_)) {
    const size_t bit = MemoBit(point, pos_);
    if ((state_.failed_[bit / 64] >> (bit % 64)) & 1) {
      return Backtrack();
    }
    if (target >= program_.size() || state_.point_at_[target] != point) {
      state_.marks_.push_back(MatchState::MemoMark{state_.depth_, MarkBit(point, pos_)});
    }
  }
  return scans_ ? Land(target) : target;
}

// The remembered point of the Jump that closes the loop opening at `head`, when the loop
// has the "*" shape (see EnterIteration and LeaveIteration) and no repeat guards it;
// kNoPoint otherwise. From that Jump the search opens an iteration at the same position,
// and falls back below the Jump's depth only through that iteration's LeaveIteration,
// where nothing after the loop has changed what the Jump's failure depends on. So the
// mark is pushed there, at the Jump's depth, and a loop over a long address keeps no mark
// per iteration on its way in. An iteration that the loop's first entry opened marks the
// Jump too: entering the loop there is what the Jump would do (see LoopPoint). MapPoints
// keeps the answer at the head, for the Jump and the leaving to read in one look-up.
uint32_t PatternMachine::ClosingPoint(uint32_t head) const {
  const size_t restore = static_cast<size_t>(head) + 4;
  if (restore + 1 >= program_.size() || program_[head].op() != Op::kSaveSlot ||
      program_[restore].op() != Op::kRestorePos || program_[restore + 1].op() != Op::kRestoreSlot) {
    return kNoPoint;
  }
  return LoopPoint(head);
}

// A search runs in the Jump's step what the Jump leads to where that is quick to settle: a
// loop's next iteration opens, and a term that refuses the current character fails, as
// the next step would have it.
uint32_t PatternMachine::Land(uint32_t target) {
  if (target >= program_.size()) {
    return target;
  }
  if (remembers_ && program_[target].op() == Op::kSaveSlot) {
    return EnterIteration(program_[target].operand(), target);
  }
  return TermRefuses(target, Current()) ? Backtrack() : target;
}

// An iteration that consumed something goes on; a search takes the loop's Jump back in the
// same step.
uint32_t PatternMachine::Progressed(uint32_t address) {
  const uint32_t next = address + 1;
  if (scans_ && next < program_.size() && program_[next].op() == Op::kJump) {
    return Jump(next, program_[next].operand());
  }
  return next;
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
  PlainStack<MatchState::MemoMark>& marks = state_.marks_;
  while (!marks.empty() && marks.back().depth > state_.depth_) {
    marks.pop_back();
  }
  return address + 1;
}

// "1 SavePos; 2 Call 5; 3 RestorePos; 4 Jump Y; 5 X; Jump end; Y", X and Y each one
// character, Y the last alternative: both lead to the same place with the same character
// taken and nothing else changed, so once X has taken it Y could only retry what X tried.
// When failures are remembered, such a pair takes the character without a backtrack point,
// and meets the "Jump end" as X would; any other SavePos runs as it is.
uint32_t PatternMachine::EnterAlternatives(uint32_t address) {
  const size_t x = static_cast<size_t>(address) + 4;
  const uint32_t x_end = OneCharacterEnd(x);
  if (x_end >= program_.size() || program_[address + 1].op() != Op::kCall ||
      program_[address + 1].operand() != x || program_[address + 2].op() != Op::kRestorePos ||
      program_[address + 3].op() != Op::kJump || program_[x_end].op() != Op::kJump ||
      program_[address + 3].operand() != x_end + 1 ||
      OneCharacterEnd(x_end + 1) != program_[x_end].operand()) {
    return Next(Push(pos_), address);
  }
  if (AtEnd() ||
      !(TermMatches(static_cast<uint32_t>(x), Current()) || TermMatches(x_end + 1, Current()))) {
    return Backtrack();
  }
  ++pos_;
  return x_end;
}

// "1 SaveSlot s; 2 SetSlotPos s; 3 SavePos; 4 Call t; 5 RestorePos; 6 RestoreSlot s" opens
// each iteration of a greedy loop. When failures are remembered the first four run as one
// step, which sets the slot as they would and pushes the slot's old value and a backtrack
// point at 6, but not the position: that is where the iteration began, which the slot
// holds again when backtracking reaches the point (see ResumeAfterIteration). So the old
// value, where the iteration before began, is that position less a length, and when the
// length is short it rides in the point's entry: a search that loops over a long address
// takes each of these steps once per character and keeps one entry per iteration, which
// halves the fresh pages a first long search takes. Any other SaveSlot runs as it is.
uint32_t PatternMachine::EnterIteration(uint32_t slot, uint32_t address) {
  const size_t call = static_cast<size_t>(address) + 3;
  if (call + 2 >= program_.size() || program_[address + 1].op() != Op::kSetSlotPos ||
      program_[address + 1].operand() != slot || program_[address + 2].op() != Op::kSavePos ||
      program_[call].op() != Op::kCall || program_[call + 1].op() != Op::kRestorePos ||
      program_[call + 2].op() != Op::kRestoreSlot || program_[call + 2].operand() != slot) {
    return Next(Push(Slot(slot)), address);
  }
  const uint32_t before = Slot(slot);
  const uint32_t restore = address + 5;
  const bool pushed =
      before <= pos_ && pos_ - before <= kMaxPackedLength
          ? Push(kPackedIteration | ((pos_ - before) << kPackedLengthShift) | restore)
          : Push(before) && Push(restore);
  if (!pushed) {
    return End(Outcome::kAbandoned);
  }
  Slot(slot) = pos_;
  return PastGroupEntry(program_[call].operand());
}

// Backtracking reaches a packed iteration's point: the slot's old value goes on the stack
// as EnterIteration would have left it unpacked, and the point runs as an unpacked one.
uint32_t PatternMachine::UnpackIteration(uint32_t entry) {
  const uint32_t restore = entry & kPackedAddress;
  const uint32_t length = (entry & ~kPackedIteration) >> kPackedLengthShift;
  if (restore >= program_.size() || program_[restore].op() != Op::kRestoreSlot) {
    return End(Outcome::kAbandoned);
  }
  const uint32_t slot = program_[restore].operand();
  if (slot >= state_.slots_.size() || Slot(slot) < length || !Push(Slot(slot) - length)) {
    return End(Outcome::kAbandoned);
  }
  return restore;
}

// Where a search goes on from `target`: past the entry of a group that opens there, whose
// backtrack point it leaves out (see IsGroupEntry).
uint32_t PatternMachine::PastGroupEntry(uint32_t target) const {
  if (target < program_.size() && program_[target].op() == Op::kCall &&
      IsGroupEntry(target, program_[target].operand())) {
    return target + 2;
  }
  return target;
}

// "5 RestorePos; 6 RestoreSlot s; 7 Jump end", where backtracking leaves an iteration
// that was opened step by step for what follows the loop, runs as one step (see
// EndIteration). Any other RestorePos runs as it is.
uint32_t PatternMachine::LeaveIteration(uint32_t address) {
  if (!SetPos(Pop())) {
    return End(Outcome::kAbandoned);
  }
  const size_t next = static_cast<size_t>(address) + 1;
  if (next >= program_.size() || program_[next].op() != Op::kRestoreSlot) {
    return address + 1;
  }
  return EndIteration(address + 1);
}

// The backtrack point of an iteration that EnterIteration opened, at "6 RestoreSlot s":
// every later change to the slot has been put back on the way here (each iteration and
// each pass of the loop puts back the value it found), so the slot holds where this
// iteration began, and the position goes back there. The leaving then goes on as
// LeaveIteration's.
uint32_t PatternMachine::ResumeAfterIteration(uint32_t slot, uint32_t address) {
  if (slot >= state_.slots_.size() || !SetPos(Slot(slot))) {
    return End(Outcome::kAbandoned);
  }
  return EndIteration(address);
}

// "6 RestoreSlot s; 7 Jump end" with the position back where the iteration began: the
// slot gets its old value, the loop's closing Jump its mark, and the Jump to what follows
// the loop runs in the same step.
uint32_t PatternMachine::EndIteration(uint32_t address) {
  Slot(program_[address].operand()) = Pop();
  const uint32_t head = address - 5;
  if (address >= 5 && program_[head].op() == Op::kSaveSlot) {
    Remember(PointAt(head), pos_);
  }
  const uint32_t jump = address + 1;
  if (jump < program_.size() && program_[jump].op() == Op::kJump) {
    return Jump(jump, program_[jump].operand());
  }
  return jump;
}

// The address after the one-character term at `term`, kNoPoint when none stands there (the
// end of input, which Char 0 matches without taking it, is no character).
uint32_t PatternMachine::OneCharacterEnd(size_t term) const {
  if (term >= program_.size()) {
    return kNoPoint;
  }
  const PatternInstruction& instruction = program_[term];
  switch (instruction.op()) {
    case Op::kChar:
      return instruction.operand() == 0 ? kNoPoint : static_cast<uint32_t>(term + 1);
    case Op::kAnyChar:
      return static_cast<uint32_t>(term + 1);
    case Op::kInClass:
    case Op::kNotInClass:
      return instruction.operand() > term && instruction.operand() < program_.size()
                 ? instruction.operand()
                 : kNoPoint;
    default:
      return kNoPoint;
  }
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

uint32_t PatternMachine::EnterGroup(uint32_t address, uint32_t target) {
  if (scans_ && IsGroupEntry(address, target)) {
    return target;
  }
  return Push(address + 1) ? target : End(Outcome::kAbandoned);
}

}  // namespace zelk
