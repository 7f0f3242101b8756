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
// Marks a backtrack address whose entry sits on a saved input position (lazy repeats).
// Programs are far shorter than 2^31 instructions, so no address has this bit.
constexpr uint32_t kRestoresPosition = 0x80000000;
// Beyond this depth the next growth of the stack could not be counted in 32 bits.
constexpr uint32_t kMaxStackDepth = 0x3fffffff;

}  // namespace

MatchState::MatchState() : stack_(kInitialStackEntries) {}

size_t MatchState::GroupBound(size_t index) const {
  if (index >= groups_.size() || groups_[index] == kUnset) {
    return kNoPosition;
  }
  return groups_[index];
}

// Runs one program against one (folded) input. Each helper executes one instruction family
// and returns the next address; a helper that ends the match sets outcome_. Two shapes are
// run with more care than their instructions alone would take, so that repeats mean what
// they say; the programs themselves keep their plain shapes.
//
// Greedy repeats. An iteration ends with "FailIfNoProgress s; SetSlotPos s". Carried out,
// that SetSlotPos would leave in s the end of the iteration, which the next iteration's
// SaveSlot saves and, on backtracking, restores; a second path through the same iteration
// would then be compared with where the first path ended rather than with where the
// iteration began, and refused when both end at the same place though they captured
// different text: ^(x|{x})*-\0$ would not match "x-x". The matcher skips that SetSlotPos,
// so s keeps the iteration's start and FailIfNoProgress refuses exactly the iterations that
// consumed nothing.
//
// Lazy repeats. Backtracking pops only an address, so a backtrack point does not by itself
// restore the input position; every construct but the lazy ones restores it with its own
// instructions (RestorePos, LoadPosFromSlot). The lazy shapes ("1 Call end; 2 term; 3 Jump
// 1" and "1 Call end; 2 term") have none, so the matcher gives the Call that heads one a
// backtrack entry carrying the position: the term is then tried where the repeat stood, not
// where the text after it happened to fail. On the same entry it remembers where each
// iteration began, and the back jump of "*?" refuses an iteration that consumed nothing,
// as FailIfNoProgress does for greedy repeats; otherwise a term that consumes nothing but
// is not classed as possibly empty (a negation, a back-reference to an empty capture)
// would loop for ever. The program keeps its plain shape; the matcher recognises a lazy
// head as a Call whose next instruction starts the repeated term rather than one of the
// backtrack paths of the other shapes (Return, RestorePos, RestoreGroup, LoadPosFromSlot,
// NextStart, Reject).
class PatternMachine {
 public:
  // Prepares `state` and runs `pattern` against `input`; see MatchPattern.
  static bool Match(const UrlPattern& pattern,
                    std::u16string_view input,
                    MatchState* state,
                    uint64_t step_budget);

 private:
  PatternMachine(const UrlPattern& pattern,
                 std::u16string_view text,
                 MatchState* state,
                 uint64_t step_budget)
      : program_(pattern.instructions()), text_(text), state_(*state), budget_(step_budget) {}

  // Resets the state for `pattern` and runs to an answer, or to the end of the budget.
  bool Run(const UrlPattern& pattern);

  enum class Outcome { kRunning, kAccepted, kFailed, kAbandoned };

  bool AtEnd() const { return pos_ >= text_.size(); }
  char16_t Current() const { return AtEnd() ? 0 : text_[pos_]; }
  uint32_t End(Outcome outcome);
  bool Push(uint32_t value);
  uint32_t Pop();
  bool SetPos(uint32_t pos);
  bool IsLazyHead(uint32_t address) const;
  bool ClosesIteration(uint32_t address) const;

  uint32_t Step(uint32_t address);
  uint32_t Backtrack();
  uint32_t Consume(const PatternInstruction& instruction, uint32_t address);
  bool InMembers(uint32_t first, uint32_t end, char16_t c) const;
  uint32_t BackRef(uint32_t group, uint32_t next);
  uint32_t Call(uint32_t address, uint32_t target);
  uint32_t Jump(uint32_t address, uint32_t target);
  uint32_t Scratch(const PatternInstruction& instruction, uint32_t address);
  uint32_t GroupOp(const PatternInstruction& instruction, uint32_t address);
  uint32_t NextStart();

  const std::vector<PatternInstruction>& program_;
  std::u16string_view text_;
  MatchState& state_;
  uint64_t budget_;
  uint32_t start_ = 0;
  uint32_t pos_ = 0;
  Outcome outcome_ = Outcome::kRunning;
};

bool PatternMachine::Run(const UrlPattern& pattern) {
  state_.depth_ = 0;
  state_.steps_ = 0;
  state_.groups_.assign(2 * static_cast<size_t>(pattern.group_count()), kUnset);
  state_.slots_.assign(pattern.slot_count(), 0);
  state_.iteration_starts_.clear();
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

uint32_t PatternMachine::End(Outcome outcome) {
  outcome_ = outcome;
  return 0;
}

// When the stack is full its size becomes twice the new depth plus 2. A growth that cannot
// be had fails the push, and the match is abandoned.
bool PatternMachine::Push(uint32_t value) {
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

// Popping from an empty stack yields 0.
uint32_t PatternMachine::Pop() {
  if (state_.depth_ == 0) {
    return 0;
  }
  return state_.stack_[state_.depth_--];
}

bool PatternMachine::SetPos(uint32_t pos) {
  if (pos > text_.size()) {
    return false;
  }
  pos_ = pos;
  return true;
}

bool PatternMachine::IsLazyHead(uint32_t address) const {
  if (program_[address].op != Op::kCall || address + 1 >= program_.size()) {
    return false;
  }
  switch (program_[address + 1].op) {
    case Op::kReturn:
    case Op::kRestorePos:
    case Op::kRestoreGroup:
    case Op::kLoadPosFromSlot:
    case Op::kNextStart:
    case Op::kReject:
      return false;
    default:
      return true;
  }
}

// The SetSlotPos s right after FailIfNoProgress s, which ends an iteration of a greedy repeat.
bool PatternMachine::ClosesIteration(uint32_t address) const {
  if (address == 0) {
    return false;
  }
  const PatternInstruction& previous = program_[address - 1];
  return previous.op == Op::kFailIfNoProgress && previous.operand == program_[address].operand;
}

uint32_t PatternMachine::Step(uint32_t address) {
  if (address >= program_.size()) {
    return End(Outcome::kAbandoned);
  }
  const PatternInstruction& instruction = program_[address];
  switch (instruction.op) {
    case Op::kNop:
      return address + 1;
    case Op::kChar:
    case Op::kAnyChar:
    case Op::kInClass:
    case Op::kNotInClass:
    case Op::kBackRef:
      return Consume(instruction, address);
    case Op::kJump:
      return Jump(address, instruction.operand);
    case Op::kCall:
      return Call(address, instruction.operand);
    case Op::kReturn:
      return Backtrack();
    case Op::kGroupOpen:
    case Op::kGroupClose:
    case Op::kSaveGroup:
    case Op::kRestoreGroup:
      return GroupOp(instruction, address);
    case Op::kNextStart:
      return NextStart();
    case Op::kReject:
      return End(Outcome::kFailed);
    case Op::kAccept:
      return End(Outcome::kAccepted);
    default:
      return Scratch(instruction, address);
  }
}

uint32_t PatternMachine::Backtrack() {
  const uint32_t entry = Pop();
  if ((entry & kRestoresPosition) == 0) {
    return entry;
  }
  const uint32_t resume = entry & ~kRestoresPosition;
  if (resume == 0 || !SetPos(Pop())) {
    return End(Outcome::kAbandoned);
  }
  std::vector<uint32_t>& starts = state_.iteration_starts_;
  if (starts.size() < program_.size()) {
    starts.resize(program_.size(), kUnset);
  }
  starts[resume - 1] = pos_;
  return resume;
}

// The instructions that read input. The end of input (code 0) is matched without moving,
// so no position ever lies past the input.
uint32_t PatternMachine::Consume(const PatternInstruction& instruction, uint32_t address) {
  switch (instruction.op) {
    case Op::kChar:
      if (Current() != instruction.operand) {
        return Backtrack();
      }
      pos_ += AtEnd() ? 0 : 1;
      return address + 1;
    case Op::kAnyChar:
      if (AtEnd()) {
        return Backtrack();
      }
      ++pos_;
      return address + 1;
    case Op::kBackRef:
      return BackRef(instruction.operand, address + 1);
    default: {
      const bool wanted = instruction.op == Op::kInClass;
      if (AtEnd() || InMembers(address + 1, instruction.operand, Current()) != wanted) {
        return Backtrack();
      }
      ++pos_;
      return instruction.operand;
    }
  }
}

// Members are pairs of Nop (low, high) from `first` up to `end`.
bool PatternMachine::InMembers(uint32_t first, uint32_t end, char16_t c) const {
  const size_t stop = std::min<size_t>(end, program_.size());
  for (size_t address = first; address + 1 < stop; address += 2) {
    if (program_[address].operand <= c && c <= program_[address + 1].operand) {
      return true;
    }
  }
  return false;
}

// The text the group last captured; empty while either bound is unset, or while the end is
// still that of an earlier pass and lies before the start.
uint32_t PatternMachine::BackRef(uint32_t group, uint32_t next) {
  const uint32_t start = state_.groups_[2 * static_cast<size_t>(group)];
  const uint32_t end = state_.groups_[2 * static_cast<size_t>(group) + 1];
  const size_t length = (start == kUnset || end == kUnset || end < start) ? 0 : end - start;
  if (length > text_.size() - pos_ ||
      std::char_traits<char16_t>::compare(text_.data() + pos_, text_.data() + start, length)) {
    return Backtrack();
  }
  pos_ += static_cast<uint32_t>(length);
  return next;
}

uint32_t PatternMachine::Call(uint32_t address, uint32_t target) {
  const bool lazy = IsLazyHead(address);
  if ((lazy && !Push(pos_)) || !Push(lazy ? (address + 1) | kRestoresPosition : address + 1)) {
    return End(Outcome::kAbandoned);
  }
  return target;
}

// The back jump of "*?" goes to its head, whose Call leads just past this Jump.
uint32_t PatternMachine::Jump(uint32_t address, uint32_t target) {
  const bool lazy_back_jump =
      target < address && IsLazyHead(target) && program_[target].operand == address + 1;
  if (lazy_back_jump && target < state_.iteration_starts_.size() &&
      state_.iteration_starts_[target] == pos_) {
    return Backtrack();
  }
  return target;
}

// Saved positions, slots and the stack depth.
uint32_t PatternMachine::Scratch(const PatternInstruction& instruction, uint32_t address) {
  if (instruction.op == Op::kSavePos) {
    return Push(pos_) ? address + 1 : End(Outcome::kAbandoned);
  }
  if (instruction.op == Op::kRestorePos) {
    return SetPos(Pop()) ? address + 1 : End(Outcome::kAbandoned);
  }
  uint32_t& slot = state_.slots_[instruction.operand];
  switch (instruction.op) {
    case Op::kSaveSlot:
      return Push(slot) ? address + 1 : End(Outcome::kAbandoned);
    case Op::kRestoreSlot:
      slot = Pop();
      return address + 1;
    case Op::kSetSlotPos:
      if (!ClosesIteration(address)) {
        slot = pos_;
      }
      return address + 1;
    case Op::kSetSlotDepth:
      slot = state_.depth_;
      return address + 1;
    case Op::kLoadPosFromSlot:
      return SetPos(slot) ? address + 1 : End(Outcome::kAbandoned);
    case Op::kLoadDepthFromSlot:
      state_.depth_ = std::min(slot, state_.depth_);
      return address + 1;
    case Op::kFailIfNoProgress:
      return pos_ == slot ? Backtrack() : address + 1;
    default:
      return End(Outcome::kAbandoned);
  }
}

uint32_t PatternMachine::GroupOp(const PatternInstruction& instruction, uint32_t address) {
  uint32_t* bounds = &state_.groups_[2 * static_cast<size_t>(instruction.operand)];
  switch (instruction.op) {
    case Op::kGroupOpen:
      bounds[0] = pos_;
      break;
    case Op::kGroupClose:
      bounds[1] = pos_;
      break;
    case Op::kSaveGroup:
      if (!Push(bounds[0]) || !Push(bounds[1])) {
        return End(Outcome::kAbandoned);
      }
      break;
    default:
      bounds[1] = Pop();
      bounds[0] = Pop();
      break;
  }
  return address + 1;
}

// The attempt at this start failed. The next start is one character on, unless that is the
// end of input, which is never a start.
uint32_t PatternMachine::NextStart() {
  if (start_ + static_cast<size_t>(1) >= text_.size()) {
    return End(Outcome::kFailed);
  }
  ++start_;
  pos_ = start_;
  state_.depth_ = 0;
  return 0;
}

bool PatternMachine::Match(const UrlPattern& pattern,
                           std::u16string_view input,
                           MatchState* state,
                           uint64_t step_budget) {
  state->match_start_ = 0;
  state->match_end_ = 0;
  state->groups_.clear();
  state->abandoned_ = true;
  if (pattern.last_error() != PatternError::kOk || pattern.instructions().empty() ||
      input.size() >= kUnset) {
    return false;
  }
  try {
    std::u16string folded;
    if (!pattern.case_sensitive()) {
      folded = FoldAscii(input);
      input = folded;
    }
    return PatternMachine(pattern, input, state, step_budget).Run(pattern);
  } catch (const std::exception&) {
    // Memory ran short (bad_alloc, length_error); the answer is unknown, so abandoned.
    return false;
  }
}

bool MatchPattern(const UrlPattern& pattern,
                  std::u16string_view input,
                  MatchState* state,
                  uint64_t step_budget) {
  if (state == nullptr) {
    return false;
  }
  return PatternMachine::Match(pattern, input.substr(0, input.find(u'\0')), state, step_budget);
}

bool MatchPattern(const UrlPattern& pattern,
                  const char16_t* input,
                  MatchState* state,
                  uint64_t step_budget) {
  if (input == nullptr) {
    return false;
  }
  return MatchPattern(pattern, std::u16string_view(input), state, step_budget);
}

}  // namespace zelk
