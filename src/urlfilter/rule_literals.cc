#include "urlfilter/rule_literals.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace zelk {
namespace {

// A rule keeps up to this many texts looked for one by one; more go into an automaton.
constexpr size_t kScannedLiterals = 8;

// The texts [first, end), sorted, that share their first `depth` characters, and the state
// that stands for those characters.
struct Prefix {
  size_t first;
  size_t end;
  size_t depth;
};

// Gives back the room a block has left over, unless it is too little to be worth copying
// the block for: a sixteenth of its size.
template <typename Block>
void TrimSlack(Block* block) {
  if (block->capacity() - block->size() > block->size() / 16) {
    block->shrink_to_fit();
  }
}

int CountBits(uint64_t bits) {
#if defined(__GNUC__)
  return __builtin_popcountll(bits);
#else
  int count = 0;
  for (; bits != 0; bits &= bits - 1) {
    ++count;
  }
  return count;
#endif
}

}  // namespace

void RuleLiterals::Mark(uint32_t rule, size_t begin, bool several, uint32_t root) {
  if (begin >= kSeveral || several_.size() >= kSeveral) {
    throw std::length_error("kept texts too long");
  }
  const size_t block = rule / 64;
  while (ranks_.size() <= block) {
    RankBlock next;
    next.before = static_cast<uint32_t>(spans_.size());
    ranks_.push_back(next);
  }
  ranks_[block].kept |= uint64_t{1} << (rule % 64);
  if (!several) {
    spans_.push_back(static_cast<uint32_t>(begin));
    return;
  }
  spans_.push_back(kSeveral | static_cast<uint32_t>(several_.size()));
  const uint32_t first_text = static_cast<uint32_t>(taken_ ? kept_texts_ : begins_.size());
  several_.push_back(Several{static_cast<uint32_t>(begin), first_text, root});
}

uint32_t RuleLiterals::Rank(uint32_t rule) const {
  const size_t block = rule / 64;
  if (block >= ranks_.size() || (ranks_[block].kept >> (rule % 64) & 1) == 0) {
    return kNotKept;
  }
  const uint64_t below = (uint64_t{1} << (rule % 64)) - 1;
  return ranks_[block].before + static_cast<uint32_t>(CountBits(ranks_[block].kept & below));
}

size_t RuleLiterals::SpanBegin(uint32_t kept) const {
  if (kept >= spans_.size()) {
    return characters_.size();
  }
  const uint32_t span = spans_[kept];
  return (span & kSeveral) != 0 ? several_[span & ~kSeveral].begin : span;
}

void RuleLiterals::Reserve(size_t rules, size_t characters) {
  spans_.reserve(spans_.size() + rules);
  characters_.Reserve(characters_.size() + characters);
}

// The automaton of `texts`, sorted and each once in the course, or kNoState when they are
// few enough to be looked for in turn.
uint32_t RuleLiterals::AddAutomaton(std::vector<std::u16string_view>* texts) {
  std::sort(texts->begin(), texts->end());
  texts->erase(std::unique(texts->begin(), texts->end()), texts->end());
  return texts->size() > kScannedLiterals ? BuildAutomaton(*texts) : kNoState;
}

void RuleLiterals::Add(uint32_t rule, std::vector<std::u16string_view>* texts) {
  const uint32_t root = AddAutomaton(texts);
  const bool several = root != kNoState || texts->size() != 1;
  Mark(rule, characters_.size(), several, root);
  if (root != kNoState) {
    return;  // the automaton holds the texts
  }
  for (const std::u16string_view text : *texts) {
    if (several) {
      begins_.push_back(static_cast<uint32_t>(characters_.size()));
    }
    characters_.Append(text);
  }
}

void RuleLiterals::TakeTexts(TextBlock&& characters, std::vector<uint32_t>&& begins, size_t rules) {
  spans_.reserve(spans_.size() + rules);
  characters_ = std::move(characters);
  begins_ = std::move(begins);
  taken_ = true;
  kept_texts_ = 0;
  kept_characters_ = 0;
}

// Texts kept move down to the end of those kept before, which never passes where they are
// read; only the texts of a rule of several keep their beginnings, in begins_, each written
// after its bounds are read, and never past them. A rule of many texts is read into its
// automaton instead, from where its texts lie.
void RuleLiterals::KeepTexts(uint32_t rule, size_t first, size_t count) {
  if (!taken_ || first + count >= begins_.size()) {
    return;  // not texts of the block taken
  }
  uint32_t root = kNoState;
  if (count > kScannedLiterals) {
    std::vector<std::u16string> owned;
    for (size_t i = first; i < first + count; ++i) {
      owned.push_back(characters_.Text(begins_[i], begins_[i + 1] - begins_[i]));
    }
    std::vector<std::u16string_view> texts(owned.begin(), owned.end());
    root = AddAutomaton(&texts);
  }
  const bool several = root != kNoState || count != 1;
  Mark(rule, kept_characters_, several, root);
  for (size_t i = first; root == kNoState && i < first + count; ++i) {
    const size_t begin = begins_[i];
    const size_t length = begins_[i + 1] - begin;
    characters_.MoveDown(begin, length, kept_characters_);
    if (several) {
      begins_[kept_texts_++] = static_cast<uint32_t>(kept_characters_);
    }
    kept_characters_ += length;
  }
}

void RuleLiterals::Add(uint32_t rule, const std::vector<std::u16string>& texts) {
  std::vector<std::u16string_view> views(texts.begin(), texts.end());
  Add(rule, &views);
}

void RuleLiterals::Finish() {
  if (taken_) {
    begins_.resize(kept_texts_);
    characters_.Truncate(kept_characters_);
    taken_ = false;
  }
  TrimSlack(&ranks_);
  TrimSlack(&spans_);
  TrimSlack(&several_);
  characters_.Narrow();
  characters_.ShrinkToFit();
  TrimSlack(&begins_);
  TrimSlack(&edge_begin_);
  TrimSlack(&edge_characters_);
  TrimSlack(&edge_targets_);
  TrimSlack(&fail_);
  TrimSlack(&ends_);
}

// The trie of the texts, state by state in breadth-first order: the texts that share a
// prefix are neighbours once sorted, so each state's edges are the runs of equal next
// characters among its texts, already in ascending order, and every state is numbered
// before its edges are laid out.
uint32_t RuleLiterals::BuildAutomaton(const std::vector<std::u16string_view>& texts) {
  if (edge_begin_.empty()) {
    edge_begin_.push_back(0);
  }
  const uint32_t root = static_cast<uint32_t>(fail_.size());
  std::vector<Prefix> states = {Prefix{0, texts.size(), 0}};
  for (size_t s = 0; s < states.size(); ++s) {
    const Prefix prefix = states[s];
    size_t i = prefix.first;
    ends_.push_back(texts[i].size() == prefix.depth);  // the shortest sorts first
    i += ends_.back() ? 1 : 0;
    while (i < prefix.end) {
      const char16_t c = texts[i][prefix.depth];
      size_t next = i + 1;
      while (next < prefix.end && texts[next][prefix.depth] == c) {
        ++next;
      }
      edge_characters_.push_back(c);
      edge_targets_.push_back(root + static_cast<uint32_t>(states.size()));
      states.push_back(Prefix{i, next, prefix.depth + 1});
      i = next;
    }
    edge_begin_.push_back(static_cast<uint32_t>(edge_targets_.size()));
  }
  fail_.resize(fail_.size() + states.size(), root);
  AddFailures(root);
  return root;
}

// In breadth-first order, so that a state's failure is known before its edges are
// followed: the failure of the state reached by c is where c leads from the nearest
// failure of its parent that has an edge for c, else the root.
void RuleLiterals::AddFailures(uint32_t root) {
  for (uint32_t state = root; state < fail_.size(); ++state) {
    for (uint32_t e = edge_begin_[state]; e < edge_begin_[state + 1]; ++e) {
      const uint32_t child = edge_targets_[e];
      uint32_t fallback = root;
      for (uint32_t f = fail_[state]; state != root; f = fail_[f]) {
        const uint32_t next = Next(f, edge_characters_[e]);
        if (next != kNoState) {
          fallback = next;
          break;
        }
        if (f == root) {
          break;
        }
      }
      fail_[child] = fallback;
      ends_[child] = ends_[child] || ends_[fallback];
    }
  }
}

uint32_t RuleLiterals::Next(uint32_t state, char16_t c) const {
  const auto first = edge_characters_.begin() + edge_begin_[state];
  const auto last = edge_characters_.begin() + edge_begin_[state + 1];
  const auto found = std::lower_bound(first, last, c);
  return found != last && *found == c ? edge_targets_[found - edge_characters_.begin()] : kNoState;
}

// One pass: each character moves forward once, and falls back at most as often as the
// pass has moved forward, so the work is linear in the text's length.
bool RuleLiterals::AutomatonFinds(uint32_t root, std::u16string_view text) const {
  uint32_t state = root;
  if (ends_[state]) {
    return true;
  }
  for (const char16_t c : text) {
    for (;;) {
      const uint32_t next = Next(state, c);
      if (next != kNoState) {
        state = next;
        break;
      }
      if (state == root) {
        break;
      }
      state = fail_[state];
    }
    if (ends_[state]) {
      return true;
    }
  }
  return false;
}

bool RuleLiterals::AnyIn(uint32_t rule, std::u16string_view text) const {
  const uint32_t kept = Rank(rule);
  if (kept == kNotKept) {
    return true;
  }
  const size_t end = SpanBegin(kept + 1);
  if ((spans_[kept] & kSeveral) != 0) {
    return SeveralIn(spans_[kept] & ~kSeveral, end, text);
  }
  return characters_.FoundIn(text, spans_[kept], end - spans_[kept]);
}

// Each text of the rule ends where the next begins, the last where the rule's span ends.
bool RuleLiterals::SeveralIn(uint32_t several, size_t span_end, std::u16string_view text) const {
  const Several& rule = several_[several];
  if (rule.root != kNoState) {
    return AutomatonFinds(rule.root, text);
  }
  const size_t end =
      several + 1 < several_.size() ? several_[several + 1].first_text : begins_.size();
  for (size_t i = rule.first_text; i < end; ++i) {
    const size_t text_end = i + 1 < end ? begins_[i + 1] : span_end;
    if (characters_.FoundIn(text, begins_[i], text_end - begins_[i])) {
      return true;
    }
  }
  return false;
}

size_t RuleLiterals::memory() const {
  return ranks_.capacity() * sizeof(RankBlock) + several_.capacity() * sizeof(Several) +
         characters_.memory() + edge_characters_.capacity() * sizeof(char16_t) +
         ends_.capacity() / 8 +
         (spans_.capacity() + begins_.capacity() + edge_begin_.capacity() +
          edge_targets_.capacity() + fail_.capacity()) *
             sizeof(uint32_t);
}

}  // namespace zelk
