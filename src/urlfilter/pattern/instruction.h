// The instruction set of compiled filter patterns, and a compact listing of a program for
// tests and the administrator tool. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_INSTRUCTION_H_
#define ZELK_URLFILTER_PATTERN_INSTRUCTION_H_

#include <cstdint>
#include <string>
#include <vector>

namespace zelk {

// What one instruction does to the matcher. "Backtrack" means: pop a stack entry and
// continue at the address it holds.
enum class Op : uint8_t {
  kNop,                // does nothing; also carries one bound of a class member
  kChar,               // the current character must equal the operand; 0 is the end of input
  kAnyChar,            // any character except the end of input
  kInClass,            // the character must lie in a member that follows; operand: past them
  kNotInClass,         // the character must exist and lie in no member; operand: past them
  kJump,               // continue at the operand
  kCall,               // push the next address as a backtrack point, continue at the operand
  kLazyCall,           // as kCall, and the backtrack point also puts the input position back
  kReturn,             // backtrack
  kSavePos,            // push the input position
  kRestorePos,         // pop the input position
  kSaveSlot,           // push the value of slot <operand>
  kRepeatOne,          // as kSaveSlot; opens a greedy "*" of one character set, run as a scan
  kRunOnce,            // does nothing; a scan takes one character of the RepeatOne <operand>
  kRestoreSlot,        // pop into slot <operand>
  kSetSlotPos,         // slot <operand> := input position
  kSetSlotDepth,       // slot <operand> := stack depth
  kLoadPosFromSlot,    // input position := slot <operand>
  kLoadDepthFromSlot,  // stack depth := slot <operand>, dropping the entries above
  kFailIfNoProgress,   // backtrack if the input position equals slot <operand>
  kBeginIteration,     // slot <operand> := input position, its old value put back on backtracking
  kBackRef,            // the input must continue with the text group <operand> captured
  kGroupOpen,          // start of group <operand> := input position
  kGroupClose,         // end of group <operand> := input position
  kSaveGroup,          // push the start, then the end of group <operand>
  kRestoreGroup,       // pop the end, then the start of group <operand>
  kNextStart,          // this start position failed: try the next one
  kReject,             // the whole match fails
  kAccept,             // the whole match succeeds
};

// One instruction: its kind and one operand, which is an address, a character code, a
// group number or a slot number as the kind requires (0 when the kind takes none). Packed
// in 32 bits, since a long filter list holds millions of them: every operand stays below
// 2^24 (programs are shorter than kMaxPatternInstructions, characters are 16-bit, and a
// pattern's groups and slots are fewer than its instructions).
class PatternInstruction {
 public:
  constexpr PatternInstruction(Op op, uint32_t operand)
      : bits_(static_cast<uint32_t>(op) | (operand << 8)) {}

  constexpr Op op() const { return static_cast<Op>(bits_ & 0xff); }
  constexpr uint32_t operand() const { return bits_ >> 8; }
  void set_operand(uint32_t operand) { bits_ = (bits_ & 0xff) | (operand << 8); }

 private:
  uint32_t bits_;
};
static_assert(sizeof(PatternInstruction) == 4, "one instruction is 32 bits");

inline bool operator==(const PatternInstruction& a, const PatternInstruction& b) {
  return a.op() == b.op() && a.operand() == b.operand();
}

// The name of an instruction kind as listings show it ("Call", "SetSlotPos", ...).
const char* OpName(Op op);

// One instruction as listings show it, without its address: "Char 'a'", "Call 2".
std::string InstructionText(const PatternInstruction& instruction);

// A one-line listing of `program`: "0 Call 2 | 1 NextStart | 2 Char 'a' | 3 Accept".
// Characters from space to "~" are quoted ('a'), the end of input is "$", other codes are
// hexadecimal (0x0d, 0x00e9). A Nop shows its operand only when it carries a class bound.
std::string DumpProgram(const std::vector<PatternInstruction>& program);

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_INSTRUCTION_H_
