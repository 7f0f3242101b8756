#include "urlfilter/literal_factors.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

namespace zelk {
namespace {

// Sets of exact texts are kept while they stay this small; longer runs of exact texts are
// cut off and kept as a candidate factor set.
constexpr size_t kMaxExactTexts = 16;
constexpr size_t kMaxExactLength = 64;
// A class stands for its characters as exact texts while it holds at most this many.
constexpr uint32_t kMaxClassCharacters = 4;

using Texts = std::vector<std::u16string>;

// What is known of the text one node matches.
struct Literals {
  bool exact_known = false;
  Texts exact;  // every text the node can match (exact_known only)
  bool has_factors = false;
  Texts factors;  // one of them occurs in every text the node matches
};

Literals Exact(Texts texts) {
  Literals literals;
  literals.exact_known = true;
  literals.exact = std::move(texts);
  return literals;
}

// How much a text narrows the rules down: its length, less the part that nearly every
// address holds ("http://", "https://"), so that "^https?://[^/]*ads" is indexed by "ads".
size_t Selectivity(const std::u16string& text) {
  const size_t scheme_end = text.find(u"://");
  if (scheme_end == std::u16string::npos) {
    return text.size();
  }
  return text.size() - std::min(text.size(), scheme_end + 3);
}

size_t ShortestLength(const Texts& texts) {
  size_t shortest = kMaxExactLength + 1;
  for (const std::u16string& text : texts) {
    shortest = std::min(shortest, Selectivity(text));
  }
  return shortest;
}

// Whether `candidate` is the more selective factor set: a longer shortest text first,
// then fewer texts. A set holding the empty text (or only a scheme) says nothing.
bool Better(const Texts& candidate, const Literals& current) {
  if (candidate.empty() || candidate.size() > kMaxFactorsPerPattern) {
    return false;
  }
  const size_t a = ShortestLength(candidate);
  if (a == 0) {
    return false;
  }
  if (!current.has_factors) {
    return true;
  }
  const size_t b = ShortestLength(current.factors);
  return a != b ? a > b : candidate.size() < current.factors.size();
}

// Takes `candidate` (a copy, or the texts themselves when they are handed over) if better.
void Consider(Texts candidate, Literals* literals) {
  if (Better(candidate, *literals)) {
    literals->factors = std::move(candidate);
    literals->has_factors = true;
  }
}

void ConsiderCopy(const Texts& candidate, Literals* literals) {
  if (Better(candidate, *literals)) {
    literals->factors = candidate;
    literals->has_factors = true;
  }
}

// The best factor set of a node on its own: its factors, or its exact texts. The node is
// used up.
void ConsiderNode(Literals node, Literals* into) {
  if (node.has_factors) {
    Consider(std::move(node.factors), into);
  }
  if (node.exact_known) {
    Consider(std::move(node.exact), into);
  }
}

// Every text of `run` followed by every text of `b`, or false (with `run` as it was) when
// that grows too large. One text after each (the common case: one character) is added in
// place; texts that differed still differ, so the set stays free of repeats.
bool Extend(Texts* run, const Texts& b) {
  if (run->size() * b.size() > kMaxExactTexts) {
    return false;
  }
  size_t longest_b = 0;
  for (const std::u16string& y : b) {
    longest_b = std::max(longest_b, y.size());
  }
  for (const std::u16string& x : *run) {
    if (x.size() + longest_b > kMaxExactLength) {
      return false;
    }
  }
  if (b.size() == 1) {
    for (std::u16string& x : *run) {
      x += b[0];
    }
    return true;
  }
  if (b.empty()) {
    run->clear();  // nothing follows: no text at all
    return true;
  }
  Texts joined;
  joined.reserve(run->size() * b.size());
  for (std::u16string& x : *run) {
    for (size_t i = 0; i + 1 < b.size(); ++i) {
      joined.push_back(x + b[i]);
    }
    x += b.back();  // the last joined text takes x's own room
    joined.push_back(std::move(x));
  }
  *run = UniqueTexts(std::move(joined));
  return true;
}

Literals Analyse(const PatternNode& node);

Literals OfClass(const PatternNode& node) {
  if (node.negated) {
    return Literals();
  }
  uint32_t count = 0;
  for (const ClassMember& member : node.members) {
    count += static_cast<uint32_t>(member.high - member.low) + 1;
    if (count > kMaxClassCharacters) {
      return Literals();
    }
  }
  Texts texts;
  texts.reserve(count);
  for (const ClassMember& member : node.members) {
    for (uint32_t c = member.low; c <= member.high; ++c) {
      texts.push_back(std::u16string(1, static_cast<char16_t>(c)));
    }
  }
  return Exact(UniqueTexts(std::move(texts)));
}

// Where the run of kChar terms from children[begin] ends, at `limit` at the latest.
size_t CharacterRunEnd(const std::vector<PatternNode>& children, size_t begin, size_t limit) {
  size_t end = begin;
  while (end < limit && children[end].kind == NodeKind::kChar) {
    ++end;
  }
  return end;
}

// The characters of children[begin, end) (all kChar) after every text of `run`, or false
// (with `run` as it was) when a text would grow too long. The end of input adds nothing.
bool ExtendWithCharacters(Texts* run,
                          const std::vector<PatternNode>& children,
                          size_t begin,
                          size_t end) {
  size_t added = 0;
  for (size_t i = begin; i < end; ++i) {
    added += children[i].value != 0 ? 1 : 0;
  }
  for (const std::u16string& x : *run) {
    if (x.size() + added > kMaxExactLength) {
      return false;
    }
  }
  for (std::u16string& x : *run) {
    x.reserve(x.size() + added);
    for (size_t i = begin; i < end; ++i) {
      if (children[i].value != 0) {
        x.push_back(static_cast<char16_t>(children[i].value));
      }
    }
  }
  return true;
}

// Reading a sequence's terms left to right. Runs of exact texts are joined; where a run
// breaks, it and the breaking node's own factors are the candidates. Any one candidate's
// texts are in every match. Consecutive characters join the run together, without a set of
// their own; only where they would make it too long are they taken one at a time, to find
// the one that breaks it. A run of characters read in two parts ends the same as read in
// one, so the reading may stop before any term and resume there.
struct SequenceFold {
  Literals result;
  Texts run = {u""};
  bool whole = true;  // the run so far covers every term
  size_t one_at_a_time_until = 0;
};

// The run ends before `term`: it and the term's own factors are candidates, and a new run
// begins with the term. The term is copied from, not used up, since it may be kept.
void BreakRun(const Literals& term, SequenceFold* fold) {
  fold->whole = false;
  Consider(std::move(fold->run), &fold->result);
  fold->run = term.exact_known ? term.exact : Texts{u""};
  if (term.has_factors) {
    ConsiderCopy(term.factors, &fold->result);
  }
  if (term.exact_known) {
    ConsiderCopy(term.exact, &fold->result);
  }
}

// Reads children[begin, end) into `fold`. `known`, when given, holds what each term other
// than a character reads as, so that it is not read again.
void FoldTerms(const std::vector<PatternNode>& children,
               size_t begin,
               size_t end,
               const std::vector<Literals>* known,
               SequenceFold* fold) {
  Texts& run = fold->run;
  for (size_t i = begin; i < end; ++i) {
    const PatternNode& child = children[i];
    if (child.kind == NodeKind::kChar) {
      if (i >= fold->one_at_a_time_until) {
        const size_t run_end = CharacterRunEnd(children, i, end);
        if (ExtendWithCharacters(&run, children, i, run_end)) {
          i = run_end - 1;
          continue;
        }
        fold->one_at_a_time_until = run_end;
      }
      if (ExtendWithCharacters(&run, children, i, i + 1)) {
        continue;
      }
      BreakRun(Analyse(child), fold);
      continue;
    }
    Literals analysed;
    const Literals& term = known != nullptr ? (*known)[i] : (analysed = Analyse(child));
    if (!term.exact_known || !Extend(&run, term.exact)) {
      BreakRun(term, fold);
    }
  }
}

Literals FinishSequence(SequenceFold fold) {
  if (!fold.whole) {
    Consider(std::move(fold.run), &fold.result);
    return std::move(fold.result);
  }
  ConsiderCopy(fold.run, &fold.result);
  fold.result.exact_known = true;
  fold.result.exact = std::move(fold.run);
  return std::move(fold.result);
}

Literals OfSequence(const PatternNode& node) {
  SequenceFold fold;
  FoldTerms(node.children, 0, node.children.size(), nullptr, &fold);
  return FinishSequence(std::move(fold));
}

// One factor set per alternative; the union holds a text of every match.
Literals OfAlternation(const PatternNode& node) {
  Literals result;
  Texts exact;
  Texts factors;
  bool exact_known = true;
  bool factors_known = true;
  for (const PatternNode& child : node.children) {
    Literals term = Analyse(child);
    exact_known =
        exact_known && term.exact_known && exact.size() + term.exact.size() <= kMaxExactTexts;
    if (exact_known) {
      exact.insert(exact.end(), term.exact.begin(), term.exact.end());
    }
    Literals best;
    ConsiderNode(std::move(term), &best);
    factors_known = factors_known && best.has_factors &&
                    factors.size() + best.factors.size() <= kMaxFactorsPerPattern;
    if (factors_known) {
      factors.insert(factors.end(), std::make_move_iterator(best.factors.begin()),
                     std::make_move_iterator(best.factors.end()));
    }
    if (!exact_known && !factors_known) {
      return Literals();
    }
  }
  if (factors_known) {
    result.has_factors = true;
    result.factors = UniqueTexts(std::move(factors));
  }
  if (exact_known) {
    result.exact_known = true;
    result.exact = UniqueTexts(std::move(exact));
  }
  return result;
}

// A starred term may be absent, so it promises nothing and is not read.
Literals OfRepeat(const PatternNode& node) {
  switch (node.quantifier) {
    case Quantifier::kPlus:
    case Quantifier::kLazyPlus: {
      Literals result;
      ConsiderNode(Analyse(node.children[0]), &result);
      return result;
    }
    case Quantifier::kOptional:
    case Quantifier::kLazyOptional: {
      Literals term = Analyse(node.children[0]);
      if (!term.exact_known || term.exact.size() + 1 > kMaxExactTexts) {
        return Literals();
      }
      Texts texts = std::move(term.exact);
      texts.push_back(u"");
      return Exact(UniqueTexts(std::move(texts)));
    }
    case Quantifier::kStar:
    case Quantifier::kLazyStar:
      return Literals();
  }
  return Literals();
}

Literals Analyse(const PatternNode& node) {
  switch (node.kind) {
    case NodeKind::kChar:
      return Exact({node.value == 0 ? std::u16string()
                                    : std::u16string(1, static_cast<char16_t>(node.value))});
    case NodeKind::kAnyChar:
    case NodeKind::kBackRef:
      return Literals();
    case NodeKind::kClass:
      return OfClass(node);
    case NodeKind::kGroup:
    case NodeKind::kCapture:
      return Analyse(node.children[0]);
    case NodeKind::kNegation:
      // Consumes nothing: adds no text to what is around it.
      return Exact({u""});
    case NodeKind::kRepeat:
      return OfRepeat(node);
    case NodeKind::kAlternation:
      return OfAlternation(node);
    case NodeKind::kSequence:
      return OfSequence(node);
  }
  return Literals();
}

std::vector<std::u16string> FactorsOf(Literals literals) {
  Literals best;
  ConsiderNode(std::move(literals), &best);
  if (!best.has_factors) {
    return {};
  }
  return WithoutTextsHoldingOthers(UniqueTexts(std::move(best.factors)));
}

}  // namespace

// The texts sorted, without repeats. Most sets come here already so (a run of one text, or
// texts extended alike), and are then spared the sort.
std::vector<std::u16string> UniqueTexts(std::vector<std::u16string> texts) {
  const auto not_before = [](const std::u16string& a, const std::u16string& b) { return !(a < b); };
  if (std::adjacent_find(texts.begin(), texts.end(), not_before) == texts.end()) {
    return texts;
  }
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  return texts;
}

// Pairwise, since sets are small: a text is dropped when a shorter one of the set occurs in
// it. Texts of equal length that differ never hold one another, and none is held twice.
std::vector<std::u16string> WithoutTextsHoldingOthers(std::vector<std::u16string> texts) {
  if (texts.size() < 2 || texts.size() > kMaxFactorsPerPattern) {
    return texts;
  }
  std::vector<bool> held(texts.size(), false);
  for (size_t i = 0; i < texts.size(); ++i) {
    for (size_t j = 0; j < texts.size() && !held[i]; ++j) {
      held[i] =
          texts[j].size() < texts[i].size() && texts[i].find(texts[j]) != std::u16string::npos;
    }
  }
  size_t kept = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (held[i]) {
      continue;
    }
    if (kept != i) {
      texts[kept] = std::move(texts[i]);  // never onto itself, which would empty it
    }
    ++kept;
  }
  texts.resize(kept);
  return texts;
}

std::vector<std::u16string> RequiredFactors(const PatternReading& reading) {
  if (reading.error != PatternError::kOk) {
    return {};
  }
  return FactorsOf(Analyse(reading.sequence));
}

struct SharedTermFactors::Kept {
  SequenceFold before;          // the terms before the run read
  std::vector<Literals> terms;  // what each term reads as; characters' left empty
  size_t resume = 0;            // the run's first term
};

SharedTermFactors::SharedTermFactors(const PatternReading& reading, size_t first)
    : kept_(std::make_unique<Kept>()) {
  const std::vector<PatternNode>& children = reading.sequence.children;
  kept_->resume = first;
  kept_->terms.resize(children.size());
  for (size_t i = first; i < children.size(); ++i) {
    if (children[i].kind != NodeKind::kChar) {
      kept_->terms[i] = Analyse(children[i]);
    }
  }
  FoldTerms(children, 0, first, nullptr, &kept_->before);
}

SharedTermFactors::~SharedTermFactors() = default;

bool SharedTermFactors::Fits(const PatternReading& reading, size_t first) {
  return reading.error == PatternError::kOk && reading.sequence.kind == NodeKind::kSequence &&
         first <= reading.sequence.children.size();
}

std::vector<std::u16string> SharedTermFactors::Factors(const PatternReading& reading) const {
  const std::vector<PatternNode>& children = reading.sequence.children;
  SequenceFold fold = kept_->before;
  FoldTerms(children, kept_->resume, children.size(), &kept_->terms, &fold);
  return FactorsOf(FinishSequence(std::move(fold)));
}

}  // namespace zelk
