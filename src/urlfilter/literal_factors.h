// The literal text that every match of a pattern must contain, read from its tree, so that
// a list of rules can be indexed by that text. Pure code.
#ifndef ZELK_URLFILTER_LITERAL_FACTORS_H_
#define ZELK_URLFILTER_LITERAL_FACTORS_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "urlfilter/pattern/parser.h"

namespace zelk {

// A factor set holds at most this many texts; a pattern that needs more (a long chain of
// alternatives) has none and is tried on every address.
inline constexpr size_t kMaxFactorsPerPattern = 64;
// A rule keeps its whole required texts, to look for before its program runs, when one is
// longer than this: the index holds only a window of each (FactorWindows), and a longer text
// tells more addresses apart than its window does.
inline constexpr size_t kMaxFactorLength = 16;

// Texts (folded, like patterns and addresses) of which at least one occurs in the text of
// every match of the pattern read into `reading`. Empty when the pattern promises none
// ("x*", ".", "[^/]+", a back-reference alone, too many alternatives): it can match
// without any particular text, so it must be tried on every address. The set is chosen
// to be selective: its shortest text as long as possible. Texts are whole (up to a few
// dozen characters); the index holds a part of each (FactorWindows).
std::vector<std::u16string> RequiredFactors(const PatternReading& reading);

// `texts` sorted, without repeats.
std::vector<std::u16string> UniqueTexts(std::vector<std::u16string> texts);
// `texts`, in their order, without those that hold another of them: an address holds one of
// the texts left exactly when it holds one of `texts` ("site.com" and "site.com." are the
// one text "site.com"), and the index and the rule's kept texts take half the room. Sets of
// more than kMaxFactorsPerPattern texts are given back whole, as comparing every pair of
// them would cost more than it spares.
std::vector<std::u16string> WithoutTextsHoldingOthers(std::vector<std::u16string> texts);

// RequiredFactors of patterns whose trees differ only in the codes of some characters
// of their top sequence, from its term `first` on (rules of one shape, rule_shapes.h):
// what the terms before those characters read as, and every later term but a character,
// are read once, from the first such pattern, and kept for the others.
class SharedTermFactors {
 public:
  // Reads the terms of `reading`, which Fits(reading, first).
  SharedTermFactors(const PatternReading& reading, size_t first);
  ~SharedTermFactors();
  SharedTermFactors(const SharedTermFactors&) = delete;
  SharedTermFactors& operator=(const SharedTermFactors&) = delete;

  // Whether `reading` compiled and has a top sequence with at least `first` terms.
  static bool Fits(const PatternReading& reading, size_t first);
  // The same as RequiredFactors(reading), for a tree of the shape read at construction.
  std::vector<std::u16string> Factors(const PatternReading& reading) const;

 private:
  struct Kept;
  std::unique_ptr<Kept> kept_;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_LITERAL_FACTORS_H_
