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

// Only instructions that leave no backtrack point of their own when scanning are followed:
// a group's entry, the first copy of a run term's "+", and single characters. Inline: it is
// read once per instruction of every start passed over.
inline PatternMachine::Opening PatternMachine::ReadOpening(uint32_t address) const {
  const uint32_t operand = program_[address].operand();
  switch (program_[address].op()) {
    case Op::kCall:
      return {IsGroupEntry(address, operand), kNoPoint, operand};
    case Op::kRunOnce:
      // A RunOnce points forward to its RepeatOne, whose term is then in the program.
      return {
          operand > address && static_cast<size_t>(operand) + kRepeatTermOffset < program_.size(),
          operand + kRepeatTermOffset, operand};
    case Op::kChar:
    case Op::kAnyChar:
      return {true, address, address + 1};
    case Op::kInClass:
    case Op::kNotInClass:
      return {true, address, operand};
    default:
      return {false, kNoPoint, 0};
  }
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
    if (program_[address].op() == Op::kRepeatOne) {
      return KnownToFail(PointAt(address), static_cast<uint32_t>(pos));
    }
    const Opening opening = ReadOpening(address);
    if (!opening.followed) {
      return false;
    }
    if (opening.term != kNoPoint) {
      if (pos >= text_.size()) {
        return false;
      }
      if (!TermMatches(opening.term, text_[pos++])) {
        return true;
      }
    }
    address = opening.next;
  }
  return false;
}

}  // namespace zelk
