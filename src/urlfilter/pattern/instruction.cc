#include "urlfilter/pattern/instruction.h"

#include <cstdio>

namespace zelk {

namespace {

// Indexed by Op; keep in the order of the enum.
constexpr const char* kOpNames[] = {
    "Nop",
    "Char",
    "AnyChar",
    "InClass",
    "NotInClass",
    "Jump",
    "Call",
    "LazyCall",
    "Return",
    "SavePos",
    "RestorePos",
    "SaveSlot",
    "RepeatOne",
    "RunOnce",
    "RestoreSlot",
    "SetSlotPos",
    "SetSlotDepth",
    "LoadPosFromSlot",
    "LoadDepthFromSlot",
    "FailIfNoProgress",
    "BeginIteration",
    "BackRef",
    "GroupOpen",
    "GroupClose",
    "SaveGroup",
    "RestoreGroup",
    "NextStart",
    "Reject",
    "Accept",
};
static_assert(sizeof(kOpNames) / sizeof(kOpNames[0]) == static_cast<size_t>(Op::kAccept) + 1,
              "every instruction kind has a name");

enum class OperandKind { kNone, kNumber, kCharacter };

OperandKind OperandKindOf(Op op) {
  switch (op) {
    case Op::kNop:
    case Op::kChar:
      return OperandKind::kCharacter;
    case Op::kAnyChar:
    case Op::kReturn:
    case Op::kSavePos:
    case Op::kRestorePos:
    case Op::kNextStart:
    case Op::kReject:
    case Op::kAccept:
      return OperandKind::kNone;
    case Op::kInClass:
    case Op::kNotInClass:
    case Op::kJump:
    case Op::kCall:
    case Op::kLazyCall:
    case Op::kSaveSlot:
    case Op::kRepeatOne:
    case Op::kRunOnce:
    case Op::kRestoreSlot:
    case Op::kSetSlotPos:
    case Op::kSetSlotDepth:
    case Op::kLoadPosFromSlot:
    case Op::kLoadDepthFromSlot:
    case Op::kFailIfNoProgress:
    case Op::kBeginIteration:
    case Op::kBackRef:
    case Op::kGroupOpen:
    case Op::kGroupClose:
    case Op::kSaveGroup:
    case Op::kRestoreGroup:
      return OperandKind::kNumber;
  }
  return OperandKind::kNumber;
}

std::string CharacterText(uint32_t code) {
  char text[16];
  if (code == 0) {
    return "$";
  }
  if (code >= 0x20 && code <= 0x7e) {
    std::snprintf(text, sizeof(text), "'%c'", static_cast<char>(code));
  } else {
    std::snprintf(text, sizeof(text), code < 0x100 ? "0x%02x" : "0x%04x", code);
  }
  return text;
}

}  // namespace

std::string InstructionText(const PatternInstruction& instruction) {
  std::string text = OpName(instruction.op());
  switch (OperandKindOf(instruction.op())) {
    case OperandKind::kNone:
      break;
    case OperandKind::kNumber:
      text += ' ' + std::to_string(instruction.operand());
      break;
    case OperandKind::kCharacter:
      // A Nop without a class bound (an empty group body) carries 0; it shows bare.
      if (instruction.op() == Op::kChar || instruction.operand() != 0) {
        text += ' ' + CharacterText(instruction.operand());
      }
      break;
  }
  return text;
}

const char* OpName(Op op) {
  const size_t index = static_cast<size_t>(op);
  return index < sizeof(kOpNames) / sizeof(kOpNames[0]) ? kOpNames[index] : "?";
}

std::string DumpProgram(const std::vector<PatternInstruction>& program) {
  std::string listing;
  for (size_t address = 0; address < program.size(); ++address) {
    if (address != 0) {
      listing += " | ";
    }
    listing += std::to_string(address) + ' ' + InstructionText(program[address]);
  }
  return listing;
}

}  // namespace zelk
