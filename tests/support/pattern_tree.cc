#include "tests/support/pattern_tree.h"

namespace zelk::testing {

std::string DumpTree(const PatternNode& node, bool spans) {
  std::string text = std::to_string(static_cast<int>(node.kind)) + ":" + std::to_string(node.value);
  if (spans) {
    text += "@" + std::to_string(node.begin) + "-" + std::to_string(node.end);
  }
  text += std::string(node.may_be_empty ? "e" : "") + (node.negated ? "n" : "") + "/" +
          std::to_string(static_cast<int>(node.quantifier));
  for (const ClassMember& member : node.members) {
    text += "[" + std::to_string(member.low) + "," + std::to_string(member.high) + "]";
  }
  text += "(";
  for (const PatternNode& child : node.children) {
    text += DumpTree(child, spans) + " ";
  }
  return text + ")";
}

}  // namespace zelk::testing
