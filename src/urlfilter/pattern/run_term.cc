#include "urlfilter/pattern/run_term.h"

#include <algorithm>
#include <cstdint>

namespace zelk {
namespace {

// Characters are 16-bit; 0 is the end of input, which no one-character term matches.
constexpr uint32_t kFirstCharacter = 1;
constexpr uint32_t kLastCharacter = 0xffff;

void AddRange(uint32_t low, uint32_t high, std::vector<ClassMember>* set) {
  set->push_back(ClassMember{static_cast<char16_t>(low), static_cast<char16_t>(high)});
}

// Sorts `ranges` and merges those that overlap or touch; 0 is left out.
void Normalize(std::vector<ClassMember>* ranges) {
  std::sort(ranges->begin(), ranges->end(),
            [](const ClassMember& a, const ClassMember& b) { return a.low < b.low; });
  std::vector<ClassMember> merged;
  for (const ClassMember& range : *ranges) {
    const uint32_t low = std::max<uint32_t>(range.low, kFirstCharacter);
    if (range.high < low) {
      continue;
    }
    if (!merged.empty() && low <= static_cast<uint32_t>(merged.back().high) + 1) {
      merged.back().high = std::max(merged.back().high, range.high);
    } else {
      AddRange(low, range.high, &merged);
    }
  }
  ranges->swap(merged);
}

// The characters a class matches: its members, or for "[^...]" every character outside
// them.
void AddClass(const PatternNode& term, std::vector<ClassMember>* set) {
  if (!term.negated) {
    set->insert(set->end(), term.members.begin(), term.members.end());
    return;
  }
  std::vector<ClassMember> members = term.members;
  Normalize(&members);
  uint32_t next = kFirstCharacter;
  for (const ClassMember& member : members) {
    if (member.low > next) {
      AddRange(next, member.low - 1u, set);
    }
    next = static_cast<uint32_t>(member.high) + 1;
  }
  if (next <= kLastCharacter) {
    AddRange(next, kLastCharacter, set);
  }
}

// What a repeat of a term needs to know of it: the characters it may consume, and those it
// matches on their own.
struct RunShape {
  std::vector<ClassMember> characters;
  std::vector<ClassMember> singles;
};

// Adds `members` to the characters, and to the singles when the term stands `alone` (it is
// the whole of what its enclosing term matches, not one part of a longer sequence).
void AddMembers(const std::vector<ClassMember>& members, bool alone, RunShape* shape) {
  shape->characters.insert(shape->characters.end(), members.begin(), members.end());
  if (alone) {
    shape->singles.insert(shape->singles.end(), members.begin(), members.end());
  }
}

// True when `term` matches only texts of one or more of the characters it adds to `shape`
// and leaves no trace. A sequence of two or more such terms matches nothing of one
// character, so its parts add no singles ("aa" in "(a|aa)").
bool CollectRun(const PatternNode& term, bool alone, RunShape* shape) {
  std::vector<ClassMember> members;
  switch (term.kind) {
    case NodeKind::kChar:
      AddRange(term.value, term.value, &members);
      break;
    case NodeKind::kAnyChar:
      AddRange(kFirstCharacter, kLastCharacter, &members);
      break;
    case NodeKind::kClass:
      AddClass(term, &members);
      break;
    case NodeKind::kGroup:
      return CollectRun(term.children[0], alone, shape);
    case NodeKind::kSequence:
      alone = alone && term.children.size() == 1;
      return !term.children.empty() &&
             std::all_of(term.children.begin(), term.children.end(),
                         [&](const PatternNode& child) { return CollectRun(child, alone, shape); });
    case NodeKind::kAlternation:
      return std::all_of(term.children.begin(), term.children.end(),
                         [&](const PatternNode& child) { return CollectRun(child, alone, shape); });
    case NodeKind::kRepeat:
      return (term.quantifier == Quantifier::kPlus || term.quantifier == Quantifier::kLazyPlus) &&
             CollectRun(term.children[0], alone, shape);
    default:
      return false;
  }
  AddMembers(members, alone, shape);
  return term.kind != NodeKind::kChar || term.value != 0;
}

// True when every range of `inner` lies within one range of `outer`; both are normalized,
// so a range of `inner` that the union of `outer` holds lies within one of its ranges.
bool Within(const std::vector<ClassMember>& inner, const std::vector<ClassMember>& outer) {
  return std::all_of(inner.begin(), inner.end(), [&outer](const ClassMember& range) {
    return std::any_of(outer.begin(), outer.end(), [&range](const ClassMember& other) {
      return other.low <= range.low && range.high <= other.high;
    });
  });
}

}  // namespace

// A term is a run term when each character it may consume it also matches on its own.
bool RunTermCharacters(const PatternNode& term, std::vector<ClassMember>* set) {
  set->clear();
  RunShape shape;
  if (!CollectRun(term, true, &shape)) {
    return false;
  }
  Normalize(&shape.characters);
  Normalize(&shape.singles);
  if (!Within(shape.characters, shape.singles)) {
    return false;
  }
  set->swap(shape.characters);
  return true;
}

bool IsOneCharacter(const PatternNode& term) {
  return (term.kind == NodeKind::kChar && term.value != 0) || term.kind == NodeKind::kAnyChar ||
         term.kind == NodeKind::kClass;
}

bool OneCharacterChoice(const PatternNode& alternation, std::vector<ClassMember>* set) {
  set->clear();
  return alternation.kind == NodeKind::kAlternation &&
         std::all_of(alternation.children.begin(), alternation.children.end(), IsOneCharacter) &&
         RunTermCharacters(alternation, set);
}

}  // namespace zelk
