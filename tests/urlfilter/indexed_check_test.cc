// The indexed check against the plain walk on generated lists: rules of every construct
// (host, path and query rules, alternatives, classes, repeats greedy and lazy, negations,
// back-references, rules with no literal text, rules that do not compile, default rules
// in the middle, comments, odd marks) against generated addresses, the empty one included.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/reference_walks.h"
#include "tests/support/test_support.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/literal_alternatives.h"
#include "urlfilter/literal_factors.h"
#include "urlfilter/pattern/parser.h"
#include "urlfilter/rule_literals.h"
#include "urlfilter/text_block.h"
#include "urlfilter/url_decision.h"

namespace zelk {
namespace {

using testing::Repeat;
using testing::Utf8;

const char16_t* const kWords[] = {
    u"ads",   u"track", u"casino", u"news", u"mail",  u"shop", u"video", u"cdn",
    u"login", u"bet",   u"games",  u"wiki", u"media", u"img",  u"api",   u"x",
};
const char16_t* const kTlds[] = {u"com", u"org", u"example", u"net"};

class ListGenerator {
 public:
  explicit ListGenerator(uint32_t seed) : random_(seed) {}

  // Rules that decide every address that reaches them are rare, as in real lists: one that
  // does not compile near the end, and in long lists one that matches everything.
  std::vector<std::u16string> Rules(int count) {
    names_ = std::max(300, count / 10);
    std::vector<std::u16string> lines;
    for (int i = 0; i < count; ++i) {
      lines.push_back(Rule());
    }
    lines.insert(lines.begin() + count * 9 / 10, u"-[z-a]" + Name());
    if (count >= 1000) {
      lines.insert(lines.begin() + count * 8 / 10, u"+^" + Name() + u"*");
    }
    return lines;
  }

  std::u16string Address() {
    if (Below(200) == 0) {
      return u"";
    }
    std::u16string address = Below(4) == 0 ? u"HTTP://" : (Below(2) ? u"https://" : u"http://");
    for (int labels = Below(3); labels > 0; --labels) {
      address += (Below(2) ? Word() : Name()) + u".";
    }
    address += Name() + u"." + Tld();
    if (Below(6) == 0) {
      address += u":8080";
    }
    for (int parts = Below(3); parts > 0; --parts) {
      address += u"/" + (Below(3) == 0 ? Upper(Name()) : Name());
    }
    if (Below(3) == 0) {
      address += u"/file." + std::u16string(Below(2) ? u"exe" : u"html");
    }
    if (Below(8) == 0) {
      address = u"https://files.example/blobby/go/" + Name() + u"/downloads/" + Name();
    }
    if (Below(3) == 0) {
      address += u"?q=" + Name() + u"&page=" + Number();
    }
    if (Below(10) == 0) {
      // Short runs: plain backtracking, the reference, is exponential on (a|(a)a)*b.
      address += std::u16string(Below(14), u'a') + u"b";
    }
    return address;
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::u16string Word() { return kWords[Below(16)]; }
  std::u16string Tld() { return kTlds[Below(4)]; }
  std::u16string Number() { return FromUtf8(std::to_string(Below(30))); }
  // A name from a few thousand (more for a long list), so that each address holds the
  // text of only a few rules.
  std::u16string Name() { return Word() + FromUtf8(std::to_string(Below(names_))); }
  static std::u16string Upper(std::u16string text) {
    for (char16_t& c : text) {
      c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    }
    return text;
  }
  std::u16string Mark() {
    const int pick = Below(20);
    return pick < 9 ? u"+" : pick < 18 ? u"-" : pick == 18 ? u"*" : u"  -";
  }

  std::u16string Pattern() {
    const std::u16string w = Name();
    const std::u16string v = Name();
    const std::u16string n = Number();
    switch (Below(26)) {
      case 0:
        return u"^https?://([a-z0-9\\-]+\\.)*" + w + u"\\." + Tld() + u"[/:]";
      case 1:
        return u"^https?://" + w + u"\\." + Tld() + u"/";
      case 2:
        return u"/" + w + u"/";
      case 3:
        return u"[?&]q=" + w;
      case 4:
        return u"/" + w + u"\\.(exe|zip|msi)$";
      case 5:
        return u"((" + w + u")|(" + v + u"))" + n;
      case 6:
        return w + u"|" + v;
      case 7:
        return u"[" + w.substr(0, 2) + u"]" + v;
      case 8:
        return w + u"!\\." + Tld();
      case 9:
        return u"{" + w + u"}/\\0";
      case 10:
        return u"{[a-z][a-z]}\\.\\0";
      case 11:
        return w + u".+?" + v;
      case 12:
        return u"/((" + w + u")|(" + v + u"))+?/";
      case 13:
        return u".*" + w + u"$";
      case 14:
        return w + u"a*b";
      case 15:
        return w + u"(a|(a)a)*b";
      case 16:
        return u"^" + w + n + u"[^/]";
      case 17:
        return w + u"=" + v;
      case 18:
        return Upper(w) + u"\\d+";
      case 19:
        return u"\\w\\." + Tld() + u"/" + v;
      case 20:
        return u"^\\a+://" + w + u"[.]" + Tld();
      case 21:
        return u"(" + w + u"(" + v + u")?)+" + n;
      case 22:
        return u"!" + w + u"[^/]+/" + v;
      case 23:
        // Hundreds of rules share their first characters: the index holds a later window.
        return u"^https?://([a-z0-9_\\-]+\\.)*files\\.example/blobby/go/" + w + u"/downloads/" + v;
      case 24:
        // Literal alternatives, one longer than the index's window.
        return u"(" + w + u"/downloads/" + v + u")|(" + v + u"x)|(" + n + u"q" + w + u")";
      default:
        return w + u"(a|!b)*?c";
    }
  }

  std::u16string Rule() {
    const int pick = Below(100);
    if (pick < 1) {
      return Below(2) ? u"+all" : u" -ALL ";
    }
    if (pick < 6) {
      return Below(2) ? u"; comment " + Word() : u"";
    }
    if (pick < 7) {
      return u"all";
    }
    return Mark() + Pattern();
  }

  std::mt19937 random_;
  int names_ = 300;
};

void ExpectSameDecision(const UrlDecision& expected,
                        const UrlDecision& actual,
                        const std::u16string& address) {
  ASSERT_EQ(expected.allow, actual.allow) << Utf8(address);
  ASSERT_EQ(static_cast<int>(expected.reason), static_cast<int>(actual.reason)) << Utf8(address);
  ASSERT_EQ(Utf8(expected.denied_word), Utf8(actual.denied_word)) << Utf8(address);
  if (expected.reason != DecisionReason::kDefaultRule) {
    ASSERT_EQ(expected.line_index, actual.line_index) << Utf8(address);
  } else {
    ASSERT_EQ(expected.default_rule_seen, actual.default_rule_seen) << Utf8(address);
    ASSERT_EQ(expected.default_line_index, actual.default_line_index) << Utf8(address);
  }
}

struct DifferentialRun {
  uint32_t seed;
  int rules;
  int addresses;
  int walked;  // addresses also compared with the walk that compiles each rule as it goes
};

// Every check is compared with the plain walk, which tries every rule in turn, so the long
// lists get fewer addresses; each run is a test of its own, so that they run side by side.
constexpr DifferentialRun kRuns[] = {
    {1, 3000, 150, 2},   {2, 5000, 80, 1},    {3, 2000, 200, 2},
    {4, 300, 1500, 10},  {5, 60, 8000, 40},   {6, 24, 25000, 100},
    {7, 12, 35000, 200}, {8, 12, 30100, 300}, {9, 100000, 6, 0},
};

constexpr int TotalChecks() {
  int total = 0;
  for (const DifferentialRun& run : kRuns) {
    total += run.addresses;
  }
  return total;
}
static_assert(TotalChecks() >= 100000, "the comparison covers at least 100,000 checks");

// Under AddressSanitizer every check costs several times as much; there a quarter of the
// addresses keeps each run within its time limit (the plain builds run them all, and check
// there that the generated lists exercise the rules).
#if defined(__SANITIZE_ADDRESS__)
constexpr int kAddressDivisor = 4;
#else
constexpr int kAddressDivisor = 1;
#endif

class IndexedCheckTest : public ::testing::TestWithParam<DifferentialRun> {};

TEST_P(IndexedCheckTest, AgreesWithThePlainWalkOnAGeneratedList) {
  const DifferentialRun& run = GetParam();
  ListGenerator generator(run.seed);
  const std::vector<std::u16string> lines = generator.Rules(run.rules);
  const CompiledFilterList compiled(lines);
  UrlCheckInput input;
  input.list = &compiled;
  UrlCheckInput reference = input;
  reference.match_mode = MatchMode::kPlainBacktracking;
  reference.step_budget = kUnlimitedSteps;
  size_t decided_by_rule = 0;
  size_t skipped = 0;
  const int addresses = run.addresses / kAddressDivisor;
  for (int i = 0; i < addresses; ++i) {
    const std::u16string address = generator.Address();
    input.address = address;
    reference.address = address;
    const UrlDecision indexed = DecideUrl(input);
    ASSERT_NE(DecisionReason::kBudgetExhausted, indexed.reason) << Utf8(address);
    const UrlDecision walked = WalkCompiledRules(reference);
    ExpectSameDecision(walked, indexed, address);
    if (i < run.walked) {
      ExpectSameDecision(WalkFilterRules(reference, lines), indexed, address);
    }
    decided_by_rule += indexed.reason == DecisionReason::kRuleMatched ? 1 : 0;
    skipped += walked.rules_tried - indexed.rules_tried;
  }
  // Pattern rules must decide part of the addresses but not all, and on long lists the
  // index must skip most rules, or the comparison says little. The generated lists are the
  // same in every build; the shortened runs under AddressSanitizer, and the few addresses
  // of the longest list, are too few to say it, and compare answers only.
  if (kAddressDivisor != 1 || addresses < 20) {
    return;
  }
  EXPECT_GT(decided_by_rule, 0u);
  EXPECT_LT(decided_by_rule, static_cast<size_t>(addresses) * 9 / 10);
  if (run.rules >= 1000) {
    EXPECT_GT(decided_by_rule, static_cast<size_t>(addresses) / 20);
    EXPECT_GT(skipped, static_cast<size_t>(addresses) * run.rules / 2);
  }
}

INSTANTIATE_TEST_SUITE_P(GeneratedLists,
                         IndexedCheckTest,
                         ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<DifferentialRun>& run_info) {
                           return std::to_string(run_info.param.rules) + "RulesSeed" +
                                  std::to_string(run_info.param.seed);
                         });

struct FactorCase {
  const char16_t* pattern;
  std::vector<std::u16string> factors;  // empty: none
};

// clang-format off
const FactorCase kFactors[] = {
    {u"^https?://([a-z0-9\\-]+\\.)*example\\.com[/:]", {u"example.com/", u"example.com:"}},
    // An imported host rule: "example.com." holds "example.com", which says as much alone.
    {u"([a-z0-9\\-]+\\.)*example\\.com\\.?(:[0-9]+)?![^/?#]", {u"example.com"}},
    {u"casino", {u"casino"}},
    {u"CaSiNo", {u"casino"}},
    {u"\\.((exe)|(msi)|(zip))$", {u".exe", u".msi", u".zip"}},
    {u"https?://x", {u"http://x", u"https://x"}},
    {u"(ads|track)er", {u"adsracker", u"adtracker"}},  // "|" binds single terms
    {u"((ads)|(track))er", {u"adser", u"tracker"}},
    {u"a!bc", {u"ac"}},
    {u"(ab)+x", {u"ab"}},
    {u"{ab}\\0", {u"ab"}},
    {u"averyveryverylongliteral", {u"averyveryverylongliteral"}},
    {u"x*", {}},
    {u".", {}},
    {u"[^/]+", {}},
    {u"(ab)*", {}},
    {u"a|b*", {}},
    {u"\\d", {}},
    {u"[ab]", {u"a", u"b"}},
    {u"[a-z]x", {u"x"}},
    {u"", {}},
};
// clang-format on

TEST(RequiredFactorsTest, NamesTheTextEveryMatchHolds) {
  for (const FactorCase& c : kFactors) {
    SCOPED_TRACE(Utf8(c.pattern));
    PatternReading reading;
    UrlPattern pattern;
    ASSERT_EQ(PatternError::kOk, CompilePattern(c.pattern, &pattern, &reading));
    EXPECT_EQ(c.factors, RequiredFactors(reading));
  }
}

// "(w0x)|(w1x)|..." of `count` texts.
std::u16string NumberedAlternatives(int count) {
  std::u16string chain;
  for (int i = 0; i < count; ++i) {
    chain += (i == 0 ? u"(w" : u"|(w") + FromUtf8(std::to_string(i)) + u"x)";
  }
  return chain;
}

TEST(RequiredFactorsTest, AHugeAlternationHasNone) {
  PatternReading reading;
  UrlPattern pattern;
  ASSERT_EQ(PatternError::kOk, CompilePattern(NumberedAlternatives(10000), &pattern, &reading));
  EXPECT_TRUE(RequiredFactors(reading).empty());
}

struct TextEntry {
  std::u16string text;
  uint32_t rule;
};

FactorIndex IndexOf(const std::vector<TextEntry>& entries) {
  std::vector<FactorIndex::Entry> packed;
  for (const TextEntry& entry : entries) {
    packed.push_back({PackWindow(entry.text), entry.rule});
  }
  return FactorIndex(packed.size(), [&](const FactorIndex::EntrySink& take) {
    for (const FactorIndex::Entry& entry : packed) {
      take(entry);
    }
  });
}

TEST(FactorIndexTest, FindsEveryRuleWhoseFactorOccurs) {
  const FactorIndex index = IndexOf(
      {{u"he", 0}, {u"she", 1}, {u"his", 2}, {u"hers", 3}, {u"e", 4}, {u"she", 5}, {u"x", 6}});
  struct {
    const char16_t* text;
    std::vector<uint32_t> rules;
  } const cases[] = {
      {u"ushers", {0, 1, 3, 4, 5}}, {u"his", {2}}, {u"", {}}, {u"hhhhe", {0, 4}}, {u"x", {6}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    std::vector<uint32_t> rules;
    index.FindRules(c.text, &rules);
    std::sort(rules.begin(), rules.end());
    EXPECT_EQ(c.rules, rules);
  }
}

// Factors that share long prefixes (past the characters a window holds), repeat, nest,
// hold 0 and characters of every width, against a naive search for their first windows.
// Every other list's factors keep below 256, and are looked for in addresses that hold
// characters whose low byte is one of theirs.
TEST(FactorIndexTest, AgreesWithANaiveSearchOnGeneratedFactors) {
  std::mt19937 random(7);
  const auto below = [&random](int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random);
  };
  const char16_t alphabet[] = {u'a', u'b', u'\0', u'\x7f', u'\x80', u'\xffff', u'\x8000'};
  const auto text = [&](size_t prefix, int length, int letters = 7) {
    std::u16string t(prefix, u'a');
    for (int i = 0; i < length; ++i) {
      t += alphabet[below(letters)];
    }
    return t;
  };
  for (int list = 0; list < 40; ++list) {
    std::vector<TextEntry> entries;
    for (uint32_t rule = 0; rule < 60; ++rule) {
      entries.push_back({text(below(2) ? 0 : 2 + below(8), below(4), list % 2 ? 7 : 5), rule});
      if (below(4) == 0) {
        entries.push_back(entries[below(static_cast<int>(entries.size()))]);
        entries.back().rule = rule;
      }
    }
    const FactorIndex index = IndexOf(entries);
    for (int check = 0; check < 50; ++check) {
      const std::u16string address = text(below(2) ? 0 : 1 + below(8), below(12));
      std::vector<uint32_t> expected;
      for (const TextEntry& entry : entries) {
        const std::u16string window = entry.text.substr(0, kIndexWindowLength);
        if (!window.empty() && address.find(window) != std::u16string::npos) {
          expected.push_back(entry.rule);
        }
      }
      std::sort(expected.begin(), expected.end());
      expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
      std::vector<uint32_t> rules;
      index.FindRules(address, &rules);
      std::sort(rules.begin(), rules.end());
      rules.erase(std::unique(rules.begin(), rules.end()), rules.end());
      ASSERT_EQ(expected, rules) << "list " << list << ", check " << check;
    }
  }
}

// A long address that repeats the indexed windows over and over: every rule is found, and
// the rules handed back stay within a small multiple of the rules found, not one entry for
// each time a window occurs (forty million here).
TEST(FactorIndexTest, KeepsTheRulesOfARepetitiveAddressBounded) {
  std::vector<TextEntry> entries;
  std::vector<std::u16string> windows = {u""};
  for (size_t length = 1; length <= 4; ++length) {
    for (size_t i = windows.size(); i-- > 0;) {
      if (windows[i].size() + 1 == length) {
        windows.push_back(windows[i] + u'a');
        windows.push_back(windows[i] + u'b');
      }
    }
  }
  uint32_t rule = 0;
  for (size_t w = 1; w < windows.size(); ++w) {
    for (int copy = 0; copy < 100; ++copy) {
      entries.push_back({windows[w], rule++});
    }
  }
  std::mt19937 random(11);
  std::u16string address;
  for (int i = 0; i < 100000; ++i) {
    address += random() % 2 == 0 ? u'a' : u'b';
  }
  std::vector<uint32_t> rules;
  IndexOf(entries).FindRules(address, &rules);
  EXPECT_LE(rules.size(), 2 * size_t{rule} + 4096 + 100);
  std::sort(rules.begin(), rules.end());
  rules.erase(std::unique(rules.begin(), rules.end()), rules.end());
  EXPECT_EQ(rule, rules.size());
}

struct AlternativesCase {
  const char16_t* pattern;
  std::vector<std::u16string> texts;  // empty: not only literal alternatives
};

const AlternativesCase kAlternatives[] = {
    {u"(ads)|(track)|(pixel)", {u"ads", u"pixel", u"track"}},
    {u"x(a|b)y", {u"xay", u"xby"}},
    {u"{Ad}|(x)", {u"ad", u"x"}},
    {u"plain", {u"plain"}},
    {u"(ads)|(xadsy)|(adserver)", {u"ads"}},  // the others hold "ads"
    {u"^(ads)|(track)", {}},                  // anchored
    {u"(ads)|(track)$", {}},                  // the end of input
    {u"(ads)|(tr.ck)", {}},
    {u"(ads)|()", {}},  // an empty alternative matches everywhere
    {u"(a|b)(c|d)*", {}},
    {u"{a}\\0", {}},
};

TEST(LiteralAlternativesTest, TellsPatternsThatAreOnlyTexts) {
  for (const AlternativesCase& c : kAlternatives) {
    SCOPED_TRACE(Utf8(c.pattern));
    PatternReading reading;
    UrlPattern pattern;
    ASSERT_EQ(PatternError::kOk, CompilePattern(c.pattern, &pattern, &reading));
    std::vector<std::u16string> texts = {u"stale"};
    EXPECT_EQ(!c.texts.empty(), LiteralAlternatives(reading, &texts));
    EXPECT_EQ(c.texts, texts);
  }
}

// Former fault: a rule of one long literal was joined character by character into a new
// text each time, which took minutes on a line of a megabyte. Sets past their bounds (in
// texts or in characters) are given up.
TEST(LiteralAlternativesTest, ReadsLongAndBranchingLiteralsWithinBounds) {
  struct {
    std::u16string pattern;
    size_t texts;  // 0: given up
  } const kCases[] = {
      {std::u16string(500000, u'x'), 1},
      {Repeat(u"(a|b)", 16), 65536},
      {Repeat(u"(a|b)", 17), 0},
      {Repeat(u"(a|b)", 16) + std::u16string(20, u'x'), 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.pattern.size());
    PatternReading reading;
    UrlPattern pattern;
    ASSERT_EQ(PatternError::kOk, CompilePattern(c.pattern, &pattern, &reading));
    std::vector<std::u16string> texts;
    EXPECT_EQ(c.texts != 0, LiteralAlternatives(reading, &texts));
    EXPECT_EQ(c.texts, texts.size());
  }
}

// A rule of 10,000 literal alternatives is decided by the index alone: an address without
// any of them is not even a candidate for it, and one with any is matched at once.
TEST(CompiledFilterListTest, DecidesManyLiteralAlternativesWithoutTheirProgram) {
  const std::vector<std::u16string> lines = {u"-" + NumberedAlternatives(10000), u"+all"};
  const CompiledFilterList compiled(lines);
  EXPECT_EQ(0u, compiled.always_tried_count());
  UrlCheckInput input;
  input.list = &compiled;
  for (const auto& [address, allow] :
       {std::pair<std::u16string, bool>{u"http://www.example.org/w7/x?a", true},
        {u"http://www.example.org/W9999X", false}}) {
    input.address = address;
    const UrlDecision decision = DecideUrl(input);
    EXPECT_EQ(allow, decision.allow) << Utf8(address);
    EXPECT_EQ(allow ? 0u : 1u, decision.rules_tried) << Utf8(address);
    EXPECT_EQ(0u, decision.steps) << Utf8(address);
  }
}

// A rule of many long texts looks them up in order rather than one by one; texts that begin
// one another, and addresses that hold only the beginning of one, against a naive search.
TEST(RuleLiteralsTest, AnyInAgreesWithANaiveSearch) {
  const std::vector<std::u16string> literals = {u"site2",     u"abcdefgh",  u"ab",
                                                u"zz",        u"b.example", u"site1.example",
                                                u"site10.ex", u"abd",       u"x.y.z/ab"};
  RuleLiterals kept;
  kept.Add(3, literals);
  kept.Add(5, {u"site1.example"});
  kept.Finish();
  const std::u16string addresses[] = {u"http://a/",
                                      u"http://site1.exampl/",
                                      u"http://site10.ex",
                                      u"http://x.y.z/a",
                                      u"http://q/?zz=1",
                                      u"ab",
                                      u"a",
                                      u"http://site3/b.exampl",
                                      u"",
                                      u"http://b.example/"};
  for (const std::u16string& address : addresses) {
    bool expected = false;
    for (const std::u16string& literal : literals) {
      expected = expected || address.find(literal) != std::u16string::npos;
    }
    EXPECT_EQ(expected, kept.AnyIn(3, address)) << Utf8(address);
    EXPECT_EQ(address.find(u"site1.example") != std::u16string::npos, kept.AnyIn(5, address))
        << Utf8(address);
    EXPECT_TRUE(kept.AnyIn(4, address)) << "a rule with no texts kept";
  }
}

// Rules of few and of many texts over three letters, so that texts begin, end and hold one
// another, and addresses hold them partly and across each other: against a naive search,
// the texts added rule by rule, and kept from one block taken over, every third rule's
// dropped so that those kept move down past them. Rules are numbered apart, past many
// blocks of 64, and the numbers between them have no texts kept. The letters keep the
// texts one byte a character, or two where one of them is past 255.
TEST(RuleLiteralsTest, AnyInAgreesWithANaiveSearchOnGeneratedTexts) {
  for (const std::u16string alphabet : {u"abc", u"a\u00e9\u00ff", u"a\u0100b"}) {
    std::mt19937 random(17);
    const auto letters = [&](size_t most) {
      std::u16string text;
      for (size_t n = 1 + random() % most; n > 0; --n) {
        text += alphabet[random() % alphabet.size()];
      }
      return text;
    };
    const auto number = [](uint32_t rule) { return rule * 29 + rule % 3; };
    std::vector<std::vector<std::u16string>> rules(60);
    RuleLiterals added;
    TextBlock block;
    std::vector<uint32_t> begins;
    for (uint32_t rule = 0; rule < rules.size(); ++rule) {
      for (size_t n = 1 + random() % 30; n > 0; --n) {
        rules[rule].push_back(letters(6));
        begins.push_back(static_cast<uint32_t>(block.size()));
        block.Append(rules[rule].back());
      }
      added.Add(number(rule), rules[rule]);
    }
    begins.push_back(static_cast<uint32_t>(block.size()));
    added.Finish();
    RuleLiterals taken;
    taken.TakeTexts(std::move(block), std::move(begins), rules.size());
    for (uint32_t rule = 0, first = 0; rule < rules.size(); first += rules[rule++].size()) {
      if (rule % 3 != 1) {
        taken.KeepTexts(number(rule), first, rules[rule].size());
      }
    }
    taken.Finish();
    for (uint32_t rule = 0; rule < rules.size(); ++rule) {
      const std::vector<std::u16string>& texts = rules[rule];
      for (int check = 0; check < 40; ++check) {
        const std::u16string address = letters(24);
        const bool expected = std::any_of(texts.begin(), texts.end(), [&](const auto& t) {
          return address.find(t) != std::u16string::npos;
        });
        EXPECT_EQ(expected, added.AnyIn(number(rule), address)) << rule << " " << Utf8(address);
        EXPECT_EQ(rule % 3 == 1 || expected, taken.AnyIn(number(rule), address))
            << rule << " " << Utf8(address);
        EXPECT_TRUE(added.AnyIn(number(rule) + 1, address) &&
                    taken.AnyIn(number(rule) + 3, address));
      }
    }
  }
}

// Rules whose texts hold characters past a byte, alone or beside rules of Latin-1 only, and
// addresses whose characters share their low byte with a rule's: the index and the kept
// texts narrowed where the list allows it decide as the walk without them does.
TEST(CompiledFilterListTest, DecidesTextsPastAByteAsTheWalkDoes) {
  const std::vector<std::u16string> narrow = {u"-caf\u00e9cr\u00e8meexample", u"-aportsexample/abc",
                                              u"-\u00ffwide", u"+all"};
  const std::vector<std::u16string> mixed = {u"-\u043f\u0440\u0438\u043c\u0435\u0440/path",
                                             u"-\u0161portsexample",
                                             narrow[0],
                                             narrow[1],
                                             narrow[2],
                                             narrow[3]};
  const std::u16string addresses[] = {u"http://x/caf\u00e9cr\u00e8meexample",
                                      u"http://x/caf\u01e9cr\u00e8meexample",
                                      u"http://x/\u0161portsexample/abc",
                                      u"http://x/aportsexample/abc",
                                      u"http://x/\u043f\u0440\u0438\u043c\u0435\u0440/path",
                                      u"http://x/\u043f\u0440\u0438\u043c\u0435\u0040/path",
                                      u"http://\u01ffwide/",
                                      u"http://\u00ffwide/"};
  for (const auto* lines : {&narrow, &mixed}) {
    const CompiledFilterList compiled(*lines);
    UrlCheckInput input;
    input.list = &compiled;
    UrlCheckInput reference = input;
    reference.match_mode = MatchMode::kPlainBacktracking;
    reference.step_budget = kUnlimitedSteps;
    size_t matched = 0;
    for (const std::u16string& address : addresses) {
      input.address = address;
      reference.address = address;
      const UrlDecision indexed = DecideUrl(input);
      ExpectSameDecision(WalkCompiledRules(reference), indexed, address);
      matched += indexed.reason == DecisionReason::kRuleMatched ? 1 : 0;
    }
    EXPECT_EQ(lines == &mixed ? 5u : 3u, matched);
  }
}

// However many characters the factors hold together, every rule with a factor is indexed:
// a list past any fixed bound is decided as fast, and the same, as a short one.
TEST(CompiledFilterListTest, IndexesEveryRuleOfALongList) {
  std::vector<std::u16string> lines;
  for (size_t i = 0; i < 80000; ++i) {
    std::u16string word = FromUtf8(std::to_string(i));
    word.insert(0, kMaxFactorLength - word.size(), u'w');
    lines.push_back(u"-" + word);
  }
  const CompiledFilterList compiled(lines);
  EXPECT_EQ(0u, compiled.always_tried_count());
  UrlCheckInput input;
  input.list = &compiled;
  const std::u16string last = u"http://x/" + lines.back().substr(1);
  input.address = last;
  const UrlDecision decision = DecideUrl(input);
  EXPECT_EQ(DecisionReason::kRuleMatched, decision.reason);
  EXPECT_EQ(lines.size() - 1, decision.line_index);
  EXPECT_EQ(1u, decision.rules_tried);
}

}  // namespace
}  // namespace zelk
