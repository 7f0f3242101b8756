// The scan of a greedy "*" of one character, or of a run term (whose set stands where the
// term would). It takes every character the term matches and then tries what follows from
// the longest run down, one character given back at a time, as the loop of its shape would;
// the slot is never read, since the term cannot consume nothing. When failures are
// remembered, the repeat's point means "from this position, the repeat and all that follows
// it fail": the longest run is tried first, so when what follows fails at a position it has
// failed at every later one. A scan therefore stops at a position known to fail, and a
// search passes each position of the repeat once however often it enters it. Each
// character scanned is one step.
#include <algorithm>

#include "urlfilter/pattern/pattern_machine.h"

namespace zelk {

uint32_t PatternMachine::ScanRepeat(uint32_t address) {
  if (static_cast<size_t>(address) + kRepeatTermOffset >= program_.size()) {
    return End(Outcome::kAbandoned);
  }
  const uint32_t point = PointAt(address);
  const uint32_t first = pos_;
  if (KnownToFail(point, first)) {
    return Backtrack();
  }
  // The scan stops where the budget does, so that a long run cannot overspend it.
  const uint64_t room = budget_ - state_.steps_;
  const uint32_t cap = static_cast<uint32_t>(
      std::min<uint64_t>(text_.size(), first + std::min<uint64_t>(room, text_.size())));
  const uint32_t last = RunEnd(address + kRepeatTermOffset, point, first, cap);
  state_.steps_ += last - first;
  if (last - first >= room) {
    return End(Outcome::kAbandoned);
  }
  return GiveBack(address, first, last) ? Follower(address) : Backtrack();
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
// or after which the repeat is known to fail. A point no repeat guards has its bits read
// directly: this loop runs once per character scanned.
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

// Backtracking into a scanned repeat: its point holds the first position of the run and the
// last one still to try, and the run one character shorter is tried next.
bool PatternMachine::RetryShorterRun(uint32_t address) {
  const uint32_t pos = Pop();
  const uint32_t first = Pop();
  return pos > first && GiveBack(address, first, pos - 1);
}

// Sets the position to the longest run from `first` up to `pos` not known to fail, with a
// backtrack point that gives the next character back; false when every run is known to fail
// (or the stack cannot grow, which abandons the match).
// What follows is not even started at a position whose character it cannot begin with;
// that position fails at once, and is remembered so at once.
bool PatternMachine::GiveBack(uint32_t address, uint32_t first, uint32_t pos) {
  const uint32_t point = PointAt(address);
  pos = LastOpen(point, Follower(address), first, pos);
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
  const size_t base = MemoBit(point, 0);
  if (follower < program_.size() && program_[follower].op() == Op::kChar) {
    return LastOpenBefore(static_cast<char16_t>(program_[follower].operand()), base, first, pos);
  }
  uint64_t* const failed = state_.failed_.data();
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

// LastOpen for a point no repeat guards and a follower that is the one character `c`: the
// positions between two places of `c` are all refused, found by a plain compare loop and
// remembered a word at a time. This runs once per character given back by ".*" and the like.
uint32_t PatternMachine::LastOpenBefore(char16_t c, size_t base, uint32_t first, uint32_t pos) {
  uint64_t* const failed = state_.failed_.data();
  for (;;) {
    if (pos == text_.size() || text_[pos] == c) {
      if (((failed[(base + pos) / 64] >> ((base + pos) % 64)) & 1) == 0) {
        return pos;
      }
    } else {
      uint32_t low = pos;
      while (low > first && text_[low - 1] != c) {
        --low;
      }
      SetBits(failed, base + low, base + pos + 1);
      pos = low;
    }
    if (pos == first) {
      return kNoPoint;
    }
    --pos;
  }
}

}  // namespace zelk
