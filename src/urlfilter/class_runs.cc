#include "urlfilter/class_runs.h"

#include <algorithm>

namespace zelk {
namespace {

constexpr char16_t kLastCharacter = 0xFFFF;
constexpr uint32_t kSmallSet = 10;
constexpr uint32_t kLargeSet = 64;

uint32_t SetSize(const CharacterSet& set) {
  uint32_t size = 0;
  for (const ClassMember& range : set) {
    size += static_cast<uint32_t>(range.high - range.low) + 1;
  }
  return size;
}

uint32_t SetStrength(const CharacterSet& set) {
  const uint32_t size = SetSize(set);
  return size == 1 ? 3 : size <= kSmallSet ? 2 : size <= kLargeSet ? 1 : 0;
}

// Sorted and merged, without the end of input.
CharacterSet Normalised(CharacterSet set) {
  std::sort(set.begin(), set.end(),
            [](const ClassMember& a, const ClassMember& b) { return a.low < b.low; });
  CharacterSet merged;
  for (ClassMember range : set) {
    range.low = std::max<char16_t>(range.low, 1);
    if (range.low > range.high) {
      continue;
    }
    if (!merged.empty() && range.low <= merged.back().high + 1u) {
      merged.back().high = std::max(merged.back().high, range.high);
    } else {
      merged.push_back(range);
    }
  }
  return merged;
}

CharacterSet Complement(const CharacterSet& set) {
  CharacterSet complement;
  uint32_t next = 1;
  for (const ClassMember& range : set) {
    if (range.low > next) {
      complement.push_back(
          ClassMember{static_cast<char16_t>(next), static_cast<char16_t>(range.low - 1)});
    }
    next = range.high + 1u;
  }
  if (next <= kLastCharacter) {
    complement.push_back(ClassMember{static_cast<char16_t>(next), kLastCharacter});
  }
  return complement;
}

// The set of the one character a term matches, or false when it does not match exactly one.
bool OneCharacter(const PatternNode& node, CharacterSet* set) {
  switch (node.kind) {
    case NodeKind::kChar:
      *set = {ClassMember{static_cast<char16_t>(node.value), static_cast<char16_t>(node.value)}};
      return node.value != 0;
    case NodeKind::kAnyChar:
      *set = {ClassMember{1, kLastCharacter}};
      return true;
    case NodeKind::kClass: {
      const CharacterSet members = Normalised(node.members);
      *set = node.negated ? Complement(members) : members;
      return !set->empty();
    }
    case NodeKind::kGroup:
    case NodeKind::kCapture: {
      // "\d" reads as a group of one class.
      const PatternNode& body = node.children[0];
      return body.kind == NodeKind::kSequence && body.children.size() == 1 &&
             OneCharacter(body.children[0], set);
    }
    default:
      return false;
  }
}

// Reads a sequence term by term, keeping the strongest run of adjacent single characters.
class RunReader {
 public:
  void Sequence(const PatternNode& sequence) {
    for (const PatternNode& term : sequence.children) {
      Term(term);
    }
  }
  ClassRun Finish() {
    Break();
    return std::move(best_);
  }

 private:
  void Term(const PatternNode& node) {
    CharacterSet set;
    if (OneCharacter(node, &set)) {
      Push(std::move(set));
    } else if (node.kind == NodeKind::kGroup || node.kind == NodeKind::kCapture) {
      // The body is matched where the group stands.
      const PatternNode& body = node.children[0];
      body.kind == NodeKind::kSequence ? Sequence(body) : Term(body);
    } else if (node.kind == NodeKind::kRepeat && IsPlus(node.quantifier) &&
               OneCharacter(node.children[0], &set)) {
      // The repeat's first character follows what stands before it, its last one precedes
      // what follows it.
      Push(set);
      Break();
      Push(std::move(set));
    } else if (node.kind != NodeKind::kNegation) {  // a negation consumes nothing
      Break();
    }
  }
  static bool IsPlus(Quantifier quantifier) {
    return quantifier == Quantifier::kPlus || quantifier == Quantifier::kLazyPlus;
  }
  void Push(CharacterSet set) {
    if (current_.sets.size() < kMaxClassRunLength) {
      current_.strength += SetStrength(set);
      current_.sets.push_back(std::move(set));
    }
  }
  void Break() {
    if (current_.strength > best_.strength) {
      best_ = std::move(current_);
    }
    current_ = ClassRun();
  }

  ClassRun current_;
  ClassRun best_;
};

}  // namespace

ClassRun RequiredClassRun(const PatternReading& reading) {
  if (reading.error != PatternError::kOk) {
    return ClassRun();
  }
  RunReader reader;
  reader.Sequence(reading.sequence);
  return reader.Finish();
}

}  // namespace zelk
