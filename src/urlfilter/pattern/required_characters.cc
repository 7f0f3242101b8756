#include "urlfilter/pattern/required_characters.h"

#include <algorithm>

#include "urlfilter/pattern/parser.h"

namespace zelk {
namespace {

// Adds `c` unless it is already held; when full, the oldest gives way.
void Keep(char16_t c, RequiredCharacters* kept) {
  if (std::find(kept->begin(), kept->end(), c) != kept->end()) {
    return;
  }
  const auto unused = std::find(kept->begin(), kept->end(), char16_t{0});
  if (unused != kept->end()) {
    *unused = c;
    return;
  }
  std::rotate(kept->begin(), kept->begin() + 1, kept->end());
  kept->back() = c;
}

void Collect(const PatternNode& node, RequiredCharacters* kept) {
  switch (node.kind) {
    case NodeKind::kChar:
      if (node.value != 0) {
        Keep(static_cast<char16_t>(node.value), kept);
      }
      return;
    case NodeKind::kSequence:
      for (const PatternNode& child : node.children) {
        Collect(child, kept);
      }
      return;
    case NodeKind::kGroup:
    case NodeKind::kCapture:
      if (node.children.size() == 1) {
        Collect(node.children[0], kept);
      }
      return;
    case NodeKind::kRepeat:
      if ((node.quantifier == Quantifier::kPlus || node.quantifier == Quantifier::kLazyPlus) &&
          node.children.size() == 1) {
        Collect(node.children[0], kept);
      }
      return;
    default:
      return;
  }
}

}  // namespace

RequiredCharacters FindRequiredCharacters(const PatternNode& sequence) {
  RequiredCharacters kept{};
  Collect(sequence, &kept);
  return kept;
}

}  // namespace zelk
