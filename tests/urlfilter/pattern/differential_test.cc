// Compares the matcher with std::regex (ECMAScript) on random patterns from the part of the
// language where both mean the same thing.
//
// The generator builds each pattern as a tree and writes it in both languages at once:
//
//   this language                   ECMAScript
//   letter, digit, "-", "/"         the same character
//   "\" punctuation                 \xHH
//   "."                             "."       (inputs hold no line terminators)
//   [..] [^..], members c or c-d    the same, members as \xHH
//   \d \h \a \c \w \z               [0-9] [0-9a-f] [a-z0-9] [a-z] (?:[a-z]+) (?:[0-9]+)
//   (S)                             (?:S)
//   !A                              (?!A)
//   A q, q in * + ? *? +? ??        (?:A)q
//   X|Y|Z, each a single term       (?:X|Y|Z), because "|" here binds single terms
//   leading "^", final "$"          ^ and $
//
// Left out, because the languages differ there: capture groups and back-references
// (ECMAScript clears captures at each iteration), "^" and "$" elsewhere, and letter case:
// this language folds A-Z of pattern and input, so the ECMAScript side gets both folded
// rather than the icase flag. Quantifiers go only on atoms that cannot match the empty
// string (a negation always can): there std::regex itself departs from ECMAScript, ending
// a loop at an empty iteration instead of first trying the iteration's other ways, so
// (?:(?!a)|.)* matches only "" at the start of "b1a" where ECMAScript, and this language
// with (!a|.)*, match "b1a".
//
// Search: std::regex_search also tries the end of input as a start position; this language
// never does for a non-empty input, so an ECMAScript match found only there counts as none.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <string_view>

#include "common/text.h"
#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk {
namespace {

struct Translated {
  std::string ours;
  std::string ecma;
  bool may_be_empty = false;  // whether it can match the empty string
};

std::string Hex(char c) {
  const char* digits = "0123456789abcdef";
  return std::string("\\x") + digits[(c >> 4) & 15] + digits[c & 15];
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

class PatternGenerator {
 public:
  explicit PatternGenerator(uint32_t seed) : random_(seed) {}

  Translated Pattern() {
    Translated pattern;
    if (Below(5) == 0) {
      pattern = {"^", "^"};
    }
    Append(&pattern, Sequence(2, 1 + Below(4)));
    if (Below(5) == 0) {
      Append(&pattern, {"$", "$"});
    }
    return pattern;
  }

  std::string Input() {
    std::string input;
    for (int length = Below(9); length > 0; --length) {
      input += Pick("abcAB12-./");
    }
    return input;
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  char Pick(std::string_view from) { return from[Below(static_cast<int>(from.size()))]; }
  char RandomCase(char c) { return Below(2) ? c : static_cast<char>(c - 'a' + 'A'); }
  static void Append(Translated* to, const Translated& part) {
    to->ours += part.ours;
    to->ecma += part.ecma;
  }

  Translated Sequence(int depth, int length) {
    Translated sequence{"", "", true};
    for (int i = 0; i < length; ++i) {
      const Translated alternative = Alternative(depth);
      Append(&sequence, alternative);
      sequence.may_be_empty = sequence.may_be_empty && alternative.may_be_empty;
    }
    return sequence;
  }

  Translated Alternative(int depth) {
    const int terms = Below(4) == 0 ? 2 + Below(2) : 1;
    Translated chain = Term(depth);
    if (terms == 1) {
      return chain;
    }
    for (int i = 1; i < terms; ++i) {
      const Translated next = Term(depth);
      chain = {chain.ours + "|" + next.ours, chain.ecma + "|" + next.ecma,
               chain.may_be_empty || next.may_be_empty};
    }
    return {chain.ours, "(?:" + chain.ecma + ")", chain.may_be_empty};
  }

  Translated Term(int depth) {
    Translated atom = Atom(depth);
    if (Below(5) >= 2 || atom.may_be_empty) {
      return atom;
    }
    static const char* const kQuantifiers[] = {"*", "+", "?", "*?", "+?", "??"};
    const std::string quantifier = kQuantifiers[Below(6)];
    const bool at_least_once = quantifier[0] == '+';
    return {atom.ours + quantifier, "(?:" + atom.ecma + ")" + quantifier,
            !at_least_once || atom.may_be_empty};
  }

  Translated Atom(int depth) {
    switch (Below(depth > 0 ? 10 : 7)) {
      case 0:
        return {".", "."};
      case 1:
        return Class();
      case 2:
        return Abbreviation();
      case 3: {
        const char c = Pick(".$|*+?()[]{}!^\\");
        return {std::string("\\") + c, Hex(c)};
      }
      case 7:
      case 8: {
        const Translated body = Sequence(depth - 1, Below(3));
        return {"(" + body.ours + ")", "(?:" + body.ecma + ")", body.may_be_empty};
      }
      case 9: {
        const Translated atom = Atom(depth - 1);
        return {"!" + atom.ours, "(?!" + atom.ecma + ")", true};
      }
      default: {
        const char c = Pick("abcab12-/");
        return {std::string(1, c >= 'a' && c <= 'z' ? RandomCase(c) : c), std::string(1, c)};
      }
    }
  }

  Translated Class() {
    Translated result = Below(3) == 0 ? Translated{"[^", "[^"} : Translated{"[", "["};
    for (int members = 1 + Below(3); members > 0; --members) {
      if (Below(2) == 0) {
        const char c = Pick("abc12.-");
        const bool letter = c >= 'a' && c <= 'z';
        Append(&result, {c == '-' ? "\\-" : std::string(1, letter ? RandomCase(c) : c), Hex(c)});
        continue;
      }
      const std::string_view run = Below(2) ? "abc" : "12";
      const int low = Below(static_cast<int>(run.size()));
      const int high = low + Below(static_cast<int>(run.size()) - low);
      const bool letters = run[0] == 'a';
      const char low_char = letters ? RandomCase(run[low]) : run[low];
      const char high_char = letters ? RandomCase(run[high]) : run[high];
      Append(&result,
             {std::string{low_char, '-', high_char}, Hex(run[low]) + "-" + Hex(run[high])});
    }
    Append(&result, {"]", "]"});
    return result;
  }

  Translated Abbreviation() {
    static const Translated kAbbreviations[] = {
        {"d", "[0-9]"}, {"h", "[0-9a-f]"},   {"a", "[a-z0-9]"},
        {"c", "[a-z]"}, {"w", "(?:[a-z]+)"}, {"z", "(?:[0-9]+)"},
    };
    const Translated& pick = kAbbreviations[Below(6)];
    return {"\\" + std::string(1, RandomCase(pick.ours[0])), pick.ecma};
  }

  std::mt19937 random_;
};

TEST(PatternDifferentialTest, AgreesWithEcmaScriptOnTheirCommonSubset) {
  PatternGenerator generator(20240611);
  int compared = 0;
  int matched = 0;
  for (int i = 0; i < 1500; ++i) {
    const Translated pattern = generator.Pattern();
    UrlPattern compiled;
    ASSERT_EQ(PatternError::kOk, CompilePattern(FromUtf8(pattern.ours), &compiled)) << pattern.ours;
    const std::regex regex(pattern.ecma, std::regex::ECMAScript);
    for (int j = 0; j < 12; ++j) {
      const std::string input = generator.Input();
      std::string folded;
      for (char c : input) {
        folded += Lower(c);
      }
      std::smatch found;
      const bool ecma = std::regex_search(folded, found, regex) &&
                        (folded.empty() || static_cast<size_t>(found.position(0)) < folded.size());
      MatchState state;
      const bool ours = MatchPattern(compiled, FromUtf8(input), &state, 1000000);
      ASSERT_FALSE(state.abandoned());
      ASSERT_EQ(ecma, ours) << "pattern " << pattern.ours << " (" << pattern.ecma << ") input "
                            << input;
      if (ours) {
        ASSERT_EQ(static_cast<size_t>(found.position(0)), state.match_start())
            << "pattern " << pattern.ours << " input " << input;
        ASSERT_EQ(static_cast<size_t>(found.position(0) + found.length(0)), state.match_end())
            << "pattern " << pattern.ours << " input " << input;
      }
      ++compared;
      matched += ours ? 1 : 0;
    }
  }
  // Both answers must be common, or the comparison says little.
  EXPECT_GT(compared, 10000);
  EXPECT_GT(matched, compared / 5);
  EXPECT_LT(matched, compared * 4 / 5);
}

}  // namespace
}  // namespace zelk
