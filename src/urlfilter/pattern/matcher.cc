#include "urlfilter/pattern/matcher.h"

#include <exception>
#include <new>
#include <string>

#include "common/text.h"
#include "urlfilter/pattern/pattern_machine.h"

namespace zelk {

namespace {

constexpr size_t kInitialStackEntries = 256;

}  // namespace

MatchState::MatchState() {
  if (!stack_.Grow(kInitialStackEntries)) {
    throw std::bad_alloc();
  }
}

size_t MatchState::room_bytes() const {
  return stack_.capacity() * sizeof(uint32_t) + marks_.capacity() * sizeof(MemoMark) +
         failed_.capacity() * sizeof(uint64_t);
}

size_t MatchState::GroupBound(size_t index) const {
  if (index >= groups_.size() || groups_[index] == PatternMachine::kUnset) {
    return kNoPosition;
  }
  return groups_[index];
}

// The state is left as an abandoned match until the machine runs, so that every early
// return reads as "no answer", never as "no match".
bool PatternMachine::Match(const UrlPattern& pattern,
                           std::u16string_view text,
                           bool fold,
                           MatchState* state,
                           uint64_t step_budget,
                           MatchMode mode) {
  state->match_start_ = 0;
  state->match_end_ = 0;
  state->groups_.clear();
  state->abandoned_ = true;
  if (pattern.last_error() != PatternError::kOk || pattern.instructions().empty() ||
      text.size() >= kUnset) {
    return false;
  }
  try {
    std::u16string folded;
    if (fold && !pattern.case_sensitive()) {
      folded = FoldAscii(text);
      text = folded;
    }
    return PatternMachine(pattern, text, state, step_budget).Run(mode);
  } catch (const std::exception&) {
    // Memory ran short (bad_alloc, length_error); the answer is unknown, so abandoned.
    return false;
  }
}

bool MatchFoldedInput(const UrlPattern& pattern,
                      std::u16string_view folded_input,
                      MatchState* state,
                      uint64_t step_budget,
                      MatchMode mode) {
  if (state == nullptr) {
    return false;
  }
  return PatternMachine::Match(pattern, folded_input, false, state, step_budget, mode);
}

bool MatchPattern(const UrlPattern& pattern,
                  std::u16string_view input,
                  MatchState* state,
                  uint64_t step_budget,
                  MatchMode mode) {
  if (state == nullptr) {
    return false;
  }
  return PatternMachine::Match(pattern, input.substr(0, input.find(u'\0')), true, state,
                               step_budget, mode);
}

bool MatchPattern(const UrlPattern& pattern,
                  const char16_t* input,
                  MatchState* state,
                  uint64_t step_budget,
                  MatchMode mode) {
  if (input == nullptr) {
    return false;
  }
  return MatchPattern(pattern, std::u16string_view(input), state, step_budget, mode);
}

}  // namespace zelk
