#include "urlfilter/pattern/compiler.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "urlfilter/pattern/abbreviations.h"
#include "urlfilter/pattern/parser.h"
#include "urlfilter/pattern/run_term.h"

namespace zelk {

// Emits the program of a parsed pattern. Every construct has a fixed shape (below, with
// addresses counted from the construct's first instruction); slots are numbered in the
// order the shapes are emitted, a construct's own slots before those of its term. Once an
// error is recorded every Emit function returns at once, so a refused program costs no
// further work however it nests.
class PatternCompiler {
 public:
  // Resets `out` and compiles `pattern` into it; turns running short of memory into
  // kOutOfMemory.
  static PatternError CompileInto(std::u16string_view pattern,
                                  const PatternAbbreviationTable& table,
                                  UrlPattern* out,
                                  PatternReading* reading,
                                  PatternWorkspace* workspace);
  // The error compiling `reading` gives, found by walking the emission while only
  // counting its instructions: nothing is built.
  static PatternError CheckReading(const PatternReading& reading, PatternWorkspace* workspace);

 private:
  PatternCompiler(UrlPattern* out, PatternWorkspace* workspace)
      : out_(out), work_(workspace), program_(&workspace->instructions_) {}

  PatternError Compile(const PatternReading& reading);
  uint32_t Here() const { return counting() ? counted_ : static_cast<uint32_t>(program_->size()); }
  void Emit(Op op, uint32_t operand = 0);
  void Patch(uint32_t address, uint32_t target) {
    if (!counting()) {
      (*program_)[address].set_operand(target);
    }
  }
  // Without an `out` the compiler only counts: the walk, and so the errors, are those of
  // a real compilation, and no instruction is stored.
  bool counting() const { return out_ == nullptr; }
  bool failed() const { return error_ != PatternError::kOk; }

  void EmitNode(const PatternNode& node);
  void EmitSequence(const PatternNode& sequence);
  void EmitBody(const PatternNode& sequence);
  void EmitClass(const PatternNode& node);
  void EmitGroup(const PatternNode& node);
  void EmitCapture(const PatternNode& node);
  void EmitNegation(const PatternNode& node);
  void EmitAlternation(const PatternNode& node);
  void EmitRepeat(const PatternNode& node);
  void EmitPlus(const PatternNode& term);
  void EmitGreedy(const PatternNode& term, bool loop);
  void EmitLazy(const PatternNode& term, bool loop);
  void EmitScannedSet(const std::vector<ClassMember>& set);

  // Takes the program built in the workspace into `out`, in vectors of its size.
  void Deliver();

  UrlPattern* out_;
  PatternWorkspace* work_;
  std::vector<PatternInstruction>* program_;
  uint32_t slot_count_ = 0;
  PatternError error_ = PatternError::kOk;
  uint32_t counted_ = 0;  // instructions counted so far (counting only)
};

void PatternCompiler::Emit(Op op, uint32_t operand) {
  if (failed()) {
    return;
  }
  if (Here() >= kMaxPatternInstructions) {
    error_ = PatternError::kOutOfMemory;
    return;
  }
  if (counting()) {
    ++counted_;
    return;
  }
  if (op == Op::kJump || op == Op::kRepeatOne) {
    std::vector<uint32_t>& guards = work_->memo_guards_;
    const uint32_t begin = static_cast<uint32_t>(guards.size());
    guards.insert(guards.end(), work_->open_repeats_.begin(), work_->open_repeats_.end());
    work_->memo_points_.push_back(MemoPoint{Here(), begin, static_cast<uint32_t>(guards.size())});
  }
  out_->has_back_references_ = out_->has_back_references_ || op == Op::kBackRef;
  program_->push_back(PatternInstruction{op, operand});
}

// 0 Call 2; 1 NextStart (or Reject when the pattern starts with "^"); the sequence; Accept.
PatternError PatternCompiler::Compile(const PatternReading& reading) {
  Emit(Op::kCall);
  Emit(reading.anchored ? Op::kReject : Op::kNextStart);
  error_ = reading.error;
  EmitSequence(reading.sequence);
  if (!failed()) {
    Patch(0, 2);
    Emit(Op::kAccept);
  }
  if (!counting()) {
    out_->group_count_ = reading.group_count;
    out_->slot_count_ = slot_count_;
    out_->required_characters_ = FindRequiredCharacters(reading.sequence);
  }
  return error_;
}

void PatternCompiler::EmitNode(const PatternNode& node) {
  if (failed()) {
    return;
  }
  switch (node.kind) {
    case NodeKind::kChar:
      return Emit(Op::kChar, node.value);
    case NodeKind::kAnyChar:
      return Emit(Op::kAnyChar);
    case NodeKind::kBackRef:
      return Emit(Op::kBackRef, node.value);
    case NodeKind::kClass:
      return EmitClass(node);
    case NodeKind::kGroup:
      return EmitGroup(node);
    case NodeKind::kCapture:
      return EmitCapture(node);
    case NodeKind::kNegation:
      return EmitNegation(node);
    case NodeKind::kRepeat:
      return EmitRepeat(node);
    case NodeKind::kAlternation:
      return EmitAlternation(node);
    case NodeKind::kSequence:
      return EmitSequence(node);
  }
}

void PatternCompiler::EmitSequence(const PatternNode& sequence) {
  for (const PatternNode& term : sequence.children) {
    EmitNode(term);
  }
}

// A group's body; an empty body is one Nop.
void PatternCompiler::EmitBody(const PatternNode& sequence) {
  if (sequence.children.empty()) {
    Emit(Op::kNop);
  } else {
    EmitSequence(sequence);
  }
}

// 1 InClass (NotInClass) end; then per member in written order: Nop low, Nop high.
void PatternCompiler::EmitClass(const PatternNode& node) {
  const uint32_t end = Here() + 1 + 2 * static_cast<uint32_t>(node.members.size());
  Emit(node.negated ? Op::kNotInClass : Op::kInClass, end);
  for (const ClassMember& member : node.members) {
    Emit(Op::kNop, member.low);
    Emit(Op::kNop, member.high);
  }
}

// 1 Call 3; 2 Return; 3 body.
void PatternCompiler::EmitGroup(const PatternNode& node) {
  const uint32_t start = Here();
  Emit(Op::kCall, start + 2);
  Emit(Op::kReturn);
  EmitBody(node.children[0]);
}

// 1 SaveGroup n; 2 GroupOpen n; 3 Call 6; 4 RestoreGroup n; 5 Return; 6 body; 7 GroupClose n.
void PatternCompiler::EmitCapture(const PatternNode& node) {
  const uint32_t start = Here();
  Emit(Op::kSaveGroup, node.value);
  Emit(Op::kGroupOpen, node.value);
  Emit(Op::kCall, start + 5);
  Emit(Op::kRestoreGroup, node.value);
  Emit(Op::kReturn);
  EmitBody(node.children[0]);
  Emit(Op::kGroupClose, node.value);
}

// Slots p, q. 1 SetSlotPos p; 2 SetSlotDepth q; 3 Call 7; 4 LoadPosFromSlot p;
// 5 LoadDepthFromSlot q; 6 Jump end; 7 atom; 8 LoadPosFromSlot p; 9 LoadDepthFromSlot q;
// 10 Return.
void PatternCompiler::EmitNegation(const PatternNode& node) {
  const uint32_t pos_slot = slot_count_++;
  const uint32_t depth_slot = slot_count_++;
  const uint32_t start = Here();
  Emit(Op::kSetSlotPos, pos_slot);
  Emit(Op::kSetSlotDepth, depth_slot);
  Emit(Op::kCall, start + 6);
  Emit(Op::kLoadPosFromSlot, pos_slot);
  Emit(Op::kLoadDepthFromSlot, depth_slot);
  Emit(Op::kJump);
  EmitNode(node.children[0]);
  Emit(Op::kLoadPosFromSlot, pos_slot);
  Emit(Op::kLoadDepthFromSlot, depth_slot);
  Emit(Op::kReturn);
  if (!failed()) {
    Patch(start + 5, Here());
  }
}

// X|Y with Y itself an alternative: 1 SavePos; 2 Call 5; 3 RestorePos; 4 Jump Y; 5 X;
// 6 Jump end; 7 Y. Every "Jump end" of a chain leads past its last term. The chain is
// emitted in a loop, term by term, so its length costs no stack.
// An alternation of single characters ("a|b|[0-9]") is one set of their union (see
// OneCharacterChoice): a repeat around it then has one way, not several, to take a text.
void PatternCompiler::EmitAlternation(const PatternNode& node) {
  std::vector<ClassMember> set;
  if (!failed() && OneCharacterChoice(node, &set)) {
    return EmitScannedSet(set);
  }
  const size_t last = node.children.size() - 1;
  std::vector<uint32_t> end_jumps;
  end_jumps.reserve(last);
  for (size_t i = 0; i < last && !failed(); ++i) {
    const uint32_t start = Here();
    Emit(Op::kSavePos);
    Emit(Op::kCall, start + 4);
    Emit(Op::kRestorePos);
    Emit(Op::kJump);
    EmitNode(node.children[i]);
    end_jumps.push_back(Here());
    Emit(Op::kJump);
    if (!failed()) {
      Patch(start + 3, Here());
    }
  }
  EmitNode(node.children[last]);
  if (!failed()) {
    for (uint32_t jump : end_jumps) {
      Patch(jump, Here());
    }
  }
}

// "+" and "+?" are the term once, then the "*" or "*?" shape around a second copy. Both
// copies come from the same tree, so they share group numbers; the second takes new slots.
void PatternCompiler::EmitRepeat(const PatternNode& node) {
  const PatternNode& term = node.children[0];
  switch (node.quantifier) {
    case Quantifier::kStar:
      return EmitGreedy(term, true);
    case Quantifier::kOptional:
      return EmitGreedy(term, false);
    case Quantifier::kPlus:
      return EmitPlus(term);
    case Quantifier::kLazyStar:
      return EmitLazy(term, true);
    case Quantifier::kLazyOptional:
      return EmitLazy(term, false);
    case Quantifier::kLazyPlus:
      EmitNode(term);
      return EmitLazy(term, true);
  }
}

// "+" of a run term that is more than one character ("(a+)+"): 1 RunOnce loop; 2 term;
// loop: the "*" shape, scanned. RunOnce lets a scan take the first copy as one character
// of the run's set: from there the "*" reaches the same positions the copy and the "*"
// reach together, and first succeeds at the same one, the furthest from which the rest
// succeeds.
void PatternCompiler::EmitPlus(const PatternNode& term) {
  std::vector<ClassMember> run;
  const bool run_term = !failed() && !IsOneCharacter(term) && RunTermCharacters(term, &run);
  const uint32_t once = Here();
  if (run_term) {
    Emit(Op::kRunOnce);
  }
  EmitNode(term);
  if (run_term && !failed()) {
    Patch(once, Here());
  }
  EmitGreedy(term, true);
}

// Slot s. 1 SaveSlot s; 2 SetSlotPos s; 3 SavePos; 4 Call 8; 5 RestorePos; 6 RestoreSlot s;
// 7 Jump end; 8 term; 9 FailIfNoProgress s; 10 Jump 1 ("*" only). Slot s holds where the
// iteration began, so FailIfNoProgress refuses exactly an iteration that consumed nothing.
// A "*" of one character opens with RepeatOne instead of SaveSlot: the same shape, which
// the matcher may run as a scan over the characters (see RepeatOne there). So does a "*" of
// a run term ("(a+)*", "(x|y)*"): between 7 and the term, where no path leads, lies one
// instruction matching the term's characters, which a scan reads in place of the term.
void PatternCompiler::EmitGreedy(const PatternNode& term, bool loop) {
  const uint32_t slot = slot_count_++;
  const uint32_t start = Here();
  std::vector<ClassMember> run;
  const bool one_character = IsOneCharacter(term);
  const bool run_term = loop && !one_character && !failed() && RunTermCharacters(term, &run);
  Emit(loop && (one_character || run_term) ? Op::kRepeatOne : Op::kSaveSlot, slot);
  Emit(Op::kSetSlotPos, slot);
  Emit(Op::kSavePos);
  Emit(Op::kCall);
  Emit(Op::kRestorePos);
  Emit(Op::kRestoreSlot, slot);
  Emit(Op::kJump);
  if (run_term) {
    EmitScannedSet(run);
  }
  if (!failed()) {
    Patch(start + 3, Here());
  }
  work_->open_repeats_.push_back(slot);
  EmitNode(term);
  work_->open_repeats_.pop_back();
  Emit(Op::kFailIfNoProgress, slot);
  if (loop) {
    Emit(Op::kJump, start);
  }
  if (!failed()) {
    Patch(start + 6, Here());
  }
}

// AnyChar when `set` holds every character, Char when it holds one, else InClass and its
// members.
void PatternCompiler::EmitScannedSet(const std::vector<ClassMember>& set) {
  if (set.size() == 1 && set[0].low == 1 && set[0].high == 0xffff) {
    return Emit(Op::kAnyChar);
  }
  if (set.size() == 1 && set[0].low == set[0].high) {
    return Emit(Op::kChar, set[0].low);
  }
  Emit(Op::kInClass, Here() + 1 + 2 * static_cast<uint32_t>(set.size()));
  for (const ClassMember& member : set) {
    Emit(Op::kNop, member.low);
    Emit(Op::kNop, member.high);
  }
}

// "*?", slot s: 1 LazyCall end; 2 BeginIteration s; 3 term; 4 FailIfNoProgress s; 5 Jump 1.
// "??": 1 LazyCall end; 2 term. LazyCall's backtrack point puts the position back, so the
// term is tried where the repeat stood, not where the text after it failed; BeginIteration
// keeps where the iteration began, restored on backtracking, so that an iteration that
// consumed nothing ends the repeat (as it does a greedy one) also on a backtracked path.
void PatternCompiler::EmitLazy(const PatternNode& term, bool loop) {
  const uint32_t slot = loop ? slot_count_++ : 0;
  const uint32_t start = Here();
  Emit(Op::kLazyCall);
  if (loop) {
    Emit(Op::kBeginIteration, slot);
    work_->open_repeats_.push_back(slot);
  }
  EmitNode(term);
  if (loop) {
    work_->open_repeats_.pop_back();
    Emit(Op::kFailIfNoProgress, slot);
    Emit(Op::kJump, start);
  }
  if (!failed()) {
    Patch(start, Here());
  }
}

void PatternCompiler::Deliver() {
  out_->instructions_.assign(program_->begin(), program_->end());
  out_->memo_points_.assign(work_->memo_points_.begin(), work_->memo_points_.end());
  out_->memo_guards_.assign(work_->memo_guards_.begin(), work_->memo_guards_.end());
}

PatternError PatternCompiler::CompileInto(std::u16string_view pattern,
                                          const PatternAbbreviationTable& table,
                                          UrlPattern* out,
                                          PatternReading* reading,
                                          PatternWorkspace* workspace) {
  PatternError error;
  try {
    *out = UrlPattern();
    PatternReading own_reading;
    PatternReading& read = reading != nullptr ? *reading : own_reading;
    PatternWorkspace own_workspace;
    PatternWorkspace& work = workspace != nullptr ? *workspace : own_workspace;
    work.Clear();
    ReadPattern(pattern, table, &read);
    PatternCompiler compiler(out, &work);
    error = compiler.Compile(read);
    // A refused program is never run, so none is kept: a rule of a few characters whose
    // program would outgrow its bound must not hold megabytes for as long as the list.
    if (error == PatternError::kOk) {
      compiler.Deliver();
    }
  } catch (const std::exception&) {
    // Only allocations throw here (bad_alloc, length_error).
    error = PatternError::kOutOfMemory;
  }
  out->last_error_ = error;
  return error;
}

PatternError PatternCompiler::CheckReading(const PatternReading& reading,
                                           PatternWorkspace* workspace) {
  try {
    workspace->Clear();
    PatternCompiler counter(nullptr, workspace);
    return counter.Compile(reading);
  } catch (const std::exception&) {
    return PatternError::kOutOfMemory;
  }
}

void PatternWorkspace::Clear() {
  instructions_.clear();
  memo_points_.clear();
  memo_guards_.clear();
  open_repeats_.clear();
}

namespace {

PatternError CompileWith(std::u16string_view pattern,
                         const PatternAbbreviationTable& table,
                         UrlPattern* out,
                         PatternReading* reading = nullptr,
                         PatternWorkspace* workspace = nullptr) {
  if (out == nullptr) {
    return PatternError::kNoPattern;
  }
  return PatternCompiler::CompileInto(pattern, table, out, reading, workspace);
}

}  // namespace

PatternError CompilePattern(const char16_t* pattern, UrlPattern* out) {
  if (pattern == nullptr) {
    return PatternError::kNoPattern;
  }
  return CompileWith(pattern, PatternAbbreviations, out);
}

PatternError CompilePattern(std::u16string_view pattern, UrlPattern* out) {
  return CompileWith(pattern, PatternAbbreviations, out);
}

PatternError CompilePattern(std::u16string_view pattern, UrlPattern* out, PatternReading* reading) {
  return CompileWith(pattern, PatternAbbreviations, out, reading);
}

PatternError CompilePattern(std::u16string_view pattern,
                            UrlPattern* out,
                            PatternReading* reading,
                            PatternWorkspace* workspace) {
  return CompileWith(pattern, PatternAbbreviations, out, reading, workspace);
}

PatternError CheckPattern(std::u16string_view pattern,
                          PatternReading* reading,
                          PatternWorkspace* workspace) {
  try {
    ReadPattern(pattern, PatternAbbreviations, reading);
  } catch (const std::exception&) {
    // Only allocations throw here (bad_alloc, length_error).
    return PatternError::kOutOfMemory;
  }
  return PatternCompiler::CheckReading(*reading, workspace);
}

PatternError CompilePatternForTesting(std::u16string_view pattern,
                                      const PatternAbbreviationTable& abbreviations,
                                      UrlPattern* out) {
  return CompileWith(pattern, abbreviations, out);
}

}  // namespace zelk
