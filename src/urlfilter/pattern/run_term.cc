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

// Adds the characters of a run term to `set` (unsorted); false when `term` is no run term.
bool CollectRun(const PatternNode& term, std::vector<ClassMember>* set) {
  switch (term.kind) {
    case NodeKind::kChar:
      AddRange(term.value, term.value, set);
      return term.value != 0;
    case NodeKind::kAnyChar:
      AddRange(kFirstCharacter, kLastCharacter, set);
      return true;
    case NodeKind::kClass:
      AddClass(term, set);
      return true;
    case NodeKind::kGroup:
      return term.children[0].children.size() == 1 && CollectRun(term.children[0].children[0], set);
    case NodeKind::kAlternation:
      return std::all_of(term.children.begin(), term.children.end(),
                         [set](const PatternNode& child) { return CollectRun(child, set); });
    case NodeKind::kRepeat:
      return (term.quantifier == Quantifier::kPlus || term.quantifier == Quantifier::kLazyPlus) &&
             CollectRun(term.children[0], set);
    default:
      return false;
  }
}

}  // namespace

bool RunTermCharacters(const PatternNode& term, std::vector<ClassMember>* set) {
  set->clear();
  if (!CollectRun(term, set)) {
    set->clear();
    return false;
  }
  Normalize(set);
  return true;
}

}  // namespace zelk
