// The choice of the next start position: one character on, passing over starts whose
// attempt is known to fail before it begins, and none past the last place where a
// character every match consumes occurs.
#include <algorithm>

#include "urlfilter/pattern/pattern_machine.h"

namespace zelk {

// The attempt at this start failed. The next start is one character on, unless that is the
// end of input, which is never a start. Failures remembered so far stay true: what follows
// a Jump does not depend on where the attempt started. When scanning, a start whose attempt
// is known to fail before it begins is passed over, and so is every start past StartLimit
// (a failed search then reports the last
// start it tried).
uint32_t PatternMachine::NextStart() {
  size_t next = start_ + static_cast<size_t>(1);
  const size_t stop = scans_ ? StartLimit() : text_.size();
  next = PassFailedStarts(next, stop);
  while (next < stop && StartKnownToFail(next)) {
    ++next;
  }
  if (next >= stop) {
    return End(Outcome::kFailed);
  }
  start_ = static_cast<uint32_t>(next);
  pos_ = start_;
  state_.depth_ = 0;
  state_.marks_.clear();
  return 0;
}

// Past the last place where one of the characters every match consumes occurs, no attempt
// can succeed: the end of the starts worth trying, worked out when first needed, since most
// searches end at their first start.
size_t PatternMachine::StartLimit() {
  if (start_limit_ == kNoLimitYet) {
    start_limit_ = text_.size();
    for (const char16_t c : pattern_.required_characters()) {
      if (c != 0) {
        const size_t last = text_.rfind(c);
        start_limit_ = std::min(start_limit_, last == text_.npos ? 0 : last + 1);
      }
    }
  }
  return start_limit_;
}

// For a pattern that opens with a scanned repeat, or a loop, that no other repeat guards,
// the starts known to fail are those whose bit is set (at the repeat, or at the Jump that
// closes the loop): they are passed over a word at a time, each still counted as the step
// StartKnownToFail would take for it. Returns the first start still to look at; the steps
// stay within the budget, as there.
size_t PatternMachine::PassFailedStarts(size_t next, size_t stop) {
  if (!remembers_ || next >= stop || kFirstOfPattern >= program_.size()) {
    return next;
  }
  const Op head = program_[kFirstOfPattern].op();
  const uint32_t point = head == Op::kRepeatOne  ? PointAt(kFirstOfPattern)
                         : head == Op::kSaveSlot ? LoopPoint(kFirstOfPattern)
                                                 : kNoPoint;
  if (point == kNoPoint || HasGuards(point)) {
    return next;
  }
  const size_t base = MemoBit(point, 0);
  const size_t open = FirstClearBit(state_.failed_.data(), base + next, base + stop) - base;
  const uint64_t room = budget_ - state_.steps_;
  if (open - next > room) {
    state_.steps_ = budget_;
    return next + room;
  }
  state_.steps_ += open - next;
  return open;
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
      case Op::kSaveSlot:
        return KnownToFail(LoopPoint(address), static_cast<uint32_t>(pos));
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

// The remembered point of the Jump that closes the loop of the "*" shape opening at
// `address`, kNoPoint when there is none or a repeat guards it. That Jump leads back to
// `address`, so its failure at a position is the failure of an attempt entering the loop
// there: the slot the loop sets is put back before anything after the loop runs, and
// captures change no answer in a program whose failures are remembered.
uint32_t PatternMachine::LoopPoint(uint32_t address) const {
  const size_t exit = static_cast<size_t>(address) + kRepeatEndJumpOffset;
  if (exit >= program_.size() || program_[exit].op() != Op::kJump) {
    return kNoPoint;
  }
  const size_t loop = static_cast<size_t>(program_[exit].operand()) - 1;
  if (loop <= exit || loop >= program_.size() || program_[loop].op() != Op::kJump ||
      program_[loop].operand() != address) {
    return kNoPoint;
  }
  const uint32_t point = PointAt(static_cast<uint32_t>(loop));
  return point == kNoPoint || HasGuards(point) ? kNoPoint : point;
}

}  // namespace zelk
