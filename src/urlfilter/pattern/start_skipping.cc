// The choice of the next start position: one character on, passing over starts whose
// attempt is known to fail before it begins.
#include "urlfilter/pattern/pattern_machine.h"

namespace zelk {

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

}  // namespace zelk
