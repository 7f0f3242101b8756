#include "urlfilter/literal_factors.h"

#include <algorithm>

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
  if (candidate.empty() || ShortestLength(candidate) == 0 ||
      candidate.size() > kMaxFactorsPerPattern) {
    return false;
  }
  if (!current.has_factors) {
    return true;
  }
  const size_t a = ShortestLength(candidate);
  const size_t b = ShortestLength(current.factors);
  return a != b ? a > b : candidate.size() < current.factors.size();
}

void Consider(const Texts& candidate, Literals* literals) {
  if (Better(candidate, *literals)) {
    literals->factors = candidate;
    literals->has_factors = true;
  }
}

// The best factor set of a node on its own: its factors, or its exact texts.
void ConsiderNode(const Literals& node, Literals* into) {
  if (node.has_factors) {
    Consider(node.factors, into);
  }
  if (node.exact_known) {
    Consider(node.exact, into);
  }
}

Texts Unique(Texts texts) {
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  return texts;
}

// Every text of `a` followed by every text of `b`, or false when that grows too large.
bool Concatenate(const Texts& a, const Texts& b, Texts* out) {
  if (a.size() * b.size() > kMaxExactTexts) {
    return false;
  }
  Texts joined;
  for (const std::u16string& x : a) {
    for (const std::u16string& y : b) {
      if (x.size() + y.size() > kMaxExactLength) {
        return false;
      }
      joined.push_back(x + y);
    }
  }
  *out = Unique(std::move(joined));
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
  for (const ClassMember& member : node.members) {
    for (uint32_t c = member.low; c <= member.high; ++c) {
      texts.push_back(std::u16string(1, static_cast<char16_t>(c)));
    }
  }
  return Exact(Unique(std::move(texts)));
}

// Runs of exact texts are joined; where a run breaks, it and the breaking node's own
// factors are the candidates. Any one candidate's texts are in every match.
Literals OfSequence(const PatternNode& node) {
  Literals result;
  Texts run = {u""};
  bool whole = true;  // the run so far covers every term
  for (const PatternNode& child : node.children) {
    const Literals term = Analyse(child);
    Texts joined;
    if (term.exact_known && Concatenate(run, term.exact, &joined)) {
      run = std::move(joined);
      continue;
    }
    whole = false;
    Consider(run, &result);
    ConsiderNode(term, &result);
    run = term.exact_known ? term.exact : Texts{u""};
  }
  Consider(run, &result);
  if (whole) {
    result.exact_known = true;
    result.exact = std::move(run);
  }
  return result;
}

// One factor set per alternative; the union holds a text of every match.
Literals OfAlternation(const PatternNode& node) {
  Literals result;
  Texts exact;
  Texts factors;
  bool exact_known = true;
  bool factors_known = true;
  for (const PatternNode& child : node.children) {
    const Literals term = Analyse(child);
    exact_known =
        exact_known && term.exact_known && exact.size() + term.exact.size() <= kMaxExactTexts;
    if (exact_known) {
      exact.insert(exact.end(), term.exact.begin(), term.exact.end());
    }
    Literals best;
    ConsiderNode(term, &best);
    factors_known = factors_known && best.has_factors &&
                    factors.size() + best.factors.size() <= kMaxFactorsPerPattern;
    if (factors_known) {
      factors.insert(factors.end(), best.factors.begin(), best.factors.end());
    }
    if (!exact_known && !factors_known) {
      return Literals();
    }
  }
  if (factors_known) {
    result.has_factors = true;
    result.factors = Unique(std::move(factors));
  }
  if (exact_known) {
    result.exact_known = true;
    result.exact = Unique(std::move(exact));
  }
  return result;
}

Literals OfRepeat(const PatternNode& node) {
  const Literals term = Analyse(node.children[0]);
  switch (node.quantifier) {
    case Quantifier::kPlus:
    case Quantifier::kLazyPlus: {
      Literals result;
      ConsiderNode(term, &result);
      return result;
    }
    case Quantifier::kOptional:
    case Quantifier::kLazyOptional: {
      if (!term.exact_known || term.exact.size() + 1 > kMaxExactTexts) {
        return Literals();
      }
      Texts texts = term.exact;
      texts.push_back(u"");
      return Exact(Unique(std::move(texts)));
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

}  // namespace

std::vector<std::u16string> RequiredFactors(const PatternReading& reading) {
  if (reading.error != PatternError::kOk) {
    return {};
  }
  Literals best;
  ConsiderNode(Analyse(reading.sequence), &best);
  if (!best.has_factors) {
    return {};
  }
  Texts factors;
  for (const std::u16string& text : best.factors) {
    factors.push_back(text.substr(0, kMaxFactorLength));
  }
  return Unique(std::move(factors));
}

}  // namespace zelk
