#include "tools/zelkctl/lint/pattern_analysis.h"

#include <algorithm>
#include <cstdint>

#include "common/text.h"
#include "tools/zelkctl/lint/char_set.h"
#include "urlfilter/pattern/run_term.h"

namespace zelk::tools {
namespace {

CharSet ClassSet(const PatternNode& node) {
  CharSet set;
  for (const ClassMember& member : node.members) {
    set.Add(member.low, member.high);
  }
  return node.negated ? set.Complement() : set;
}

bool IsUnbounded(const PatternNode& node) {
  return node.kind == NodeKind::kRepeat && node.quantifier != Quantifier::kOptional &&
         node.quantifier != Quantifier::kLazyOptional;
}

// The node of a group's body when the body is that one node, through nested groups.
const PatternNode& Unwrapped(const PatternNode& node) {
  const PatternNode* current = &node;
  while ((current->kind == NodeKind::kGroup || current->kind == NodeKind::kCapture) &&
         current->children[0].children.size() == 1) {
    current = &current->children[0].children[0];
  }
  return *current;
}

// True when the node always consumes exactly one character, from `set`.
bool SingleCharacter(const PatternNode& node, CharSet* set) {
  const PatternNode& inner = Unwrapped(node);
  switch (inner.kind) {
    case NodeKind::kChar:
      if (inner.value == 0) {
        return false;
      }
      set->Add(inner.value, inner.value);
      return true;
    case NodeKind::kAnyChar:
      *set = CharSet::All();
      return true;
    case NodeKind::kClass:
      *set = ClassSet(inner);
      return true;
    default:
      return false;
  }
}

// The characters a node can consume first.
CharSet FirstCharacters(const PatternNode& node) {
  CharSet set;
  switch (node.kind) {
    case NodeKind::kChar:
      if (node.value != 0) {
        set.Add(node.value, node.value);
      }
      return set;
    case NodeKind::kAnyChar:
    case NodeKind::kBackRef:
      return CharSet::All();
    case NodeKind::kClass:
      return ClassSet(node);
    case NodeKind::kNegation:
      return set;
    case NodeKind::kGroup:
    case NodeKind::kCapture:
    case NodeKind::kRepeat:
      return FirstCharacters(node.children[0]);
    case NodeKind::kAlternation:
      for (const PatternNode& child : node.children) {
        set.Add(FirstCharacters(child));
      }
      return set;
    case NodeKind::kSequence:
      for (const PatternNode& child : node.children) {
        set.Add(FirstCharacters(child));
        if (!child.may_be_empty && child.kind != NodeKind::kNegation) {
          break;
        }
      }
      return set;
  }
  return set;
}

// The plain text of a node made of literal characters only.
bool LiteralText(const PatternNode& node, std::u16string* text) {
  switch (node.kind) {
    case NodeKind::kChar:
      if (node.value == 0) {
        return false;
      }
      text->push_back(static_cast<char16_t>(node.value));
      return true;
    case NodeKind::kGroup:
    case NodeKind::kCapture:
    case NodeKind::kSequence:
      for (const PatternNode& child : node.children) {
        if (!LiteralText(child, text)) {
          return false;
        }
      }
      return true;
    default:
      return false;
  }
}

// Alternatives are compared pairwise up to this many; a longer chain is judged by whether
// any two can start with the same character.
constexpr size_t kMaxComparedAlternatives = 256;

// True when two alternatives of one "|" chain can both match at the same place, so that a
// repeat around them can try the same text once per alternative. Two literal texts
// collide only when one begins the other: "a|(a)" and (in a longer chain) "(ab)|a"
// collide, "(ab)|(ac)" do not. A chain of single characters ("a|a", "[ab]|b") is searched
// as one set of them, which has one way only to take a character.
bool AlternativesCollide(const PatternNode& alternation) {
  std::vector<ClassMember> joined;
  if (OneCharacterChoice(alternation, &joined)) {
    return false;
  }
  const std::vector<PatternNode>& branches = alternation.children;
  if (branches.size() > kMaxComparedAlternatives) {
    CharSet before;
    for (const PatternNode& branch : branches) {
      const CharSet first = FirstCharacters(branch);
      if (first.Intersects(before)) {
        return true;
      }
      before.Add(first);
    }
    return false;
  }
  std::vector<CharSet> firsts;
  std::vector<std::u16string> words(branches.size());
  std::vector<bool> literal(branches.size());
  for (size_t i = 0; i < branches.size(); ++i) {
    firsts.push_back(FirstCharacters(branches[i]));
    literal[i] = LiteralText(branches[i], &words[i]) && !words[i].empty();
  }
  for (size_t i = 0; i < branches.size(); ++i) {
    for (size_t j = i + 1; j < branches.size(); ++j) {
      if (!firsts[i].Intersects(firsts[j])) {
        continue;
      }
      if (!literal[i] || !literal[j]) {
        return true;
      }
      const std::u16string& shorter = words[i].size() <= words[j].size() ? words[i] : words[j];
      const std::u16string& longer = words[i].size() <= words[j].size() ? words[j] : words[i];
      if (longer.compare(0, shorter.size(), shorter) == 0) {
        return true;
      }
    }
  }
  return false;
}

// What the runaway check needs to know of a subtree.
struct RepeatScan {
  CharSet consumable;  // every character the subtree can consume
  bool has_unbounded = false;
  CharSet by_unbounded;                    // the characters its unbounded repeats can consume
  const PatternNode* colliding = nullptr;  // an alternation whose alternatives collide
  bool noted = false;  // a runaway note was made inside: the enclosing repeats need none

  // Takes in the scan of a child.
  void Absorb(const RepeatScan& inner) {
    consumable.Add(inner.consumable);
    has_unbounded = has_unbounded || inner.has_unbounded;
    by_unbounded.Add(inner.by_unbounded);
    colliding = colliding != nullptr ? colliding : inner.colliding;
    noted = noted || inner.noted;
  }
};

class PatternChecker {
 public:
  // `plain`: the pattern holds a back-reference, so the check searches it by plain
  // backtracking; otherwise it remembers failures and a runaway shape costs it little.
  PatternChecker(std::u16string_view pattern, bool plain, std::vector<PatternNote>* notes)
      : pattern_(pattern), plain_(plain), notes_(notes) {}

  RepeatScan Scan(const PatternNode& node);

 private:
  void CheckLiteral(const PatternNode& node);
  void CheckSequence(const PatternNode& sequence);
  void NoteWordChoice(const PatternNode& first,
                      const PatternNode& last,
                      const std::vector<const PatternNode*>& chains);
  bool CheckRepeat(const PatternNode& repeat, const RepeatScan& body);
  bool HasSeparator(const PatternNode& body, const CharSet& repeated) const;
  std::string Quote(const PatternNode& node) const {
    return "'" + DisplayText(pattern_.substr(node.begin, node.end - node.begin)) + "'";
  }
  void Note(PatternIssue issue, size_t position, std::string message) {
    notes_->push_back(PatternNote{issue, position, std::move(message)});
  }

  std::u16string_view pattern_;
  bool plain_;
  std::vector<PatternNote>* notes_;
};

RepeatScan PatternChecker::Scan(const PatternNode& node) {
  RepeatScan scan;
  switch (node.kind) {
    case NodeKind::kChar:
      CheckLiteral(node);
      if (node.value != 0) {
        scan.consumable.Add(node.value, node.value);
      }
      return scan;
    case NodeKind::kAnyChar:
    case NodeKind::kBackRef:
      scan.consumable = CharSet::All();
      return scan;
    case NodeKind::kClass:
      scan.consumable = ClassSet(node);
      return scan;
    default:
      break;
  }
  for (const PatternNode& child : node.children) {
    scan.Absorb(Scan(child));
  }
  if (node.kind == NodeKind::kSequence) {
    CheckSequence(node);
  }
  if (node.kind == NodeKind::kAlternation && scan.colliding == nullptr &&
      AlternativesCollide(node)) {
    scan.colliding = &node;
  }
  if (IsUnbounded(node)) {
    scan.noted = scan.noted || CheckRepeat(node, scan);
    scan.has_unbounded = true;
    scan.by_unbounded = scan.consumable;
    scan.colliding = nullptr;
  }
  return scan;
}

// A repeat inside a repeat can share out the same text between iterations in very many
// ways, unless each iteration must consume a character that the inner repeats cannot: then
// those characters fix where the iterations end. "(a*\.)*" is safe; "(a+)+", "(.*\.)*" and
// "\w+" (\w being a repeat of letters) are not. Alternatives that can match at the same
// place double the ways at every iteration: "(a|(a))*", and "((a)|(ab))*".
// Returns true when a note was made.
bool PatternChecker::CheckRepeat(const PatternNode& repeat, const RepeatScan& body) {
  if (body.noted) {
    return false;
  }
  const PatternNode& term = repeat.children[0];
  // A greedy repeat of a term that only takes runs of one set ("(a|(a))*", "(a+)+") is
  // searched as one scan of that set even beside a back-reference: then it is not slow.
  std::vector<ClassMember> run;
  const bool scanned =
      (repeat.quantifier == Quantifier::kStar || repeat.quantifier == Quantifier::kPlus) &&
      RunTermCharacters(term, &run);
  const std::string consequence =
      plain_ && !scanned
          ? " can take exponential time on an address that almost matches: the "
            "back-reference makes the check try every way, and it refuses the address "
            "when its matching budget runs out"
          : " can share out the same text in exponentially many ways; the check " +
                std::string(plain_ ? "reads it as one run of its characters"
                                   : "remembers where it failed") +
                " and stays fast, but the rule is easier to read without the nesting";
  if (body.has_unbounded && !HasSeparator(term, body.by_unbounded)) {
    std::string message = "the repeats nested in " + Quote(repeat) + consequence;
    const std::u16string_view atom = pattern_.substr(term.begin, term.end - term.begin);
    if (atom == u"\\w" || atom == u"\\z") {
      message += "; " + DisplayText(atom) + " already means one or more " +
                 (atom == u"\\w" ? "letters: write \\w alone, or \\c+"
                                 : "digits: write \\z alone, or \\d+");
    }
    Note(PatternIssue::kRunawayRepeat, repeat.begin, message);
    return true;
  }
  if (body.colliding != nullptr) {
    Note(PatternIssue::kAmbiguousAlternation, repeat.begin,
         "the alternatives " + Quote(*body.colliding) + " can match at the same place, so " +
             Quote(repeat) + consequence);
    return true;
  }
  return false;
}

bool IsPlainTerm(const PatternNode& term) {
  return (term.kind == NodeKind::kChar && term.value != 0) || term.kind == NodeKind::kAnyChar;
}

// "|" binds single terms: in "abc|def" it chooses between "c" and "d". Plain characters
// joined to alternations read like a choice of words but are not one.
void PatternChecker::CheckSequence(const PatternNode& sequence) {
  const std::vector<PatternNode>& terms = sequence.children;
  size_t first = 0;
  while (first < terms.size()) {
    size_t last = first;
    bool has_plain = false;
    std::vector<const PatternNode*> chains;
    for (; last < terms.size(); ++last) {
      if (IsPlainTerm(terms[last])) {
        has_plain = true;
      } else if (terms[last].kind == NodeKind::kAlternation) {
        chains.push_back(&terms[last]);
      } else {
        break;
      }
    }
    if (has_plain && !chains.empty()) {
      NoteWordChoice(terms[first], terms[last - 1], chains);
    }
    first = last + 1;
  }
}

// The note on the span from `first` to `last` of plain characters and the alternation
// `chains`, with the words the author probably meant.
void PatternChecker::NoteWordChoice(const PatternNode& first,
                                    const PatternNode& last,
                                    const std::vector<const PatternNode*>& chains) {
  const auto text = [this](size_t begin, size_t end) {
    return DisplayText(pattern_.substr(begin, end - begin));
  };
  std::string choices;
  std::string words = "(";
  size_t word_begin = first.begin;
  for (const PatternNode* chain : chains) {
    choices += (choices.empty() ? "" : ", ") + text(chain->begin, chain->end);
    for (size_t k = 0; k + 1 < chain->children.size(); ++k) {
      words += text(word_begin, chain->children[k].end) + ")|(";
      word_begin = chain->children[k + 1].begin;
    }
  }
  words += text(word_begin, last.end) + ")";
  Note(PatternIssue::kSingleTermAlternation, chains.front()->begin,
       "'|' binds single terms, not words: in '" + text(first.begin, last.end) +
           "' it chooses only between the characters beside it (" + choices +
           "); to choose between words write " + words);
}

bool PatternChecker::HasSeparator(const PatternNode& body, const CharSet& repeated) const {
  const PatternNode* sequence = &body;
  while (sequence->kind == NodeKind::kGroup || sequence->kind == NodeKind::kCapture) {
    sequence = &sequence->children[0];
  }
  if (sequence->kind != NodeKind::kSequence) {
    return false;
  }
  for (const PatternNode& term : sequence->children) {
    CharSet set;
    if (SingleCharacter(term, &set) && !set.Intersects(repeated)) {
      return true;
    }
  }
  return false;
}

// Operators that stand where the grammar reads a plain character.
void PatternChecker::CheckLiteral(const PatternNode& node) {
  if (node.end != node.begin + 1 || node.value == 0) {
    return;  // escaped, from an abbreviation, or the end of input
  }
  const char16_t c = pattern_[node.begin];
  if (c == u'*' || c == u'+' || c == u'?') {
    Note(PatternIssue::kLiteralOperator, node.begin,
         std::string("'") + static_cast<char>(c) +
             "' here is a literal character, not a repeat: nothing before it can be repeated "
             "(an atom takes one quantifier); write \\" +
             static_cast<char>(c) + " if the character is meant" +
             (c == u'*' ? " (patterns are not wildcards: .* means any text)" : ""));
  } else if (c == u'|') {
    Note(PatternIssue::kLiteralOperator, node.begin,
         "'|' here is a literal vertical bar: no alternative stands before it; write \\| if "
         "the character is meant");
  } else if (c == u'$') {
    Note(PatternIssue::kLiteralDollar, node.begin,
         "'$' means the end of the address only as the last character of the pattern; here it "
         "is a literal dollar sign (write \\$ if that is meant)");
  } else if (c == u'^') {
    Note(PatternIssue::kLiteralCaret, node.begin,
         "'^' anchors only as the first character of the pattern; here it is a literal caret "
         "(write \\^ if that is meant)");
  }
}

bool MatchesEmptyEverywhere(const PatternNode& node) {
  switch (node.kind) {
    case NodeKind::kRepeat:
      return !(node.quantifier == Quantifier::kPlus || node.quantifier == Quantifier::kLazyPlus) ||
             MatchesEmptyEverywhere(node.children[0]);
    case NodeKind::kGroup:
    case NodeKind::kCapture:
      return MatchesEmptyEverywhere(node.children[0]);
    case NodeKind::kSequence:
      return std::all_of(node.children.begin(), node.children.end(), MatchesEmptyEverywhere);
    case NodeKind::kAlternation:
      return std::any_of(node.children.begin(), node.children.end(), MatchesEmptyEverywhere);
    default:
      return false;  // consumes a character, or depends on the address
  }
}

LiteralForm LiteralFormOf(const PatternReading& reading) {
  LiteralForm form;
  const std::vector<PatternNode>& terms = reading.sequence.children;
  size_t count = terms.size();
  if (count != 0 && terms.back().kind == NodeKind::kChar && terms.back().value == 0) {
    form.at_end = true;
    --count;
  }
  for (size_t i = 0; i < count; ++i) {
    if (!LiteralText(terms[i], &form.text)) {
      return LiteralForm();
    }
  }
  form.is_literal = !form.text.empty();
  form.at_start = reading.anchored;
  return form;
}

std::vector<PlainRun> PlainRuns(const PatternReading& reading) {
  std::vector<PlainRun> runs(1);
  for (const PatternNode& term : reading.sequence.children) {
    if (!IsPlainTerm(term)) {
      if (!runs.back().text.empty()) {
        runs.emplace_back();
      }
      continue;
    }
    runs.back().text.push_back(term.kind == NodeKind::kAnyChar ? u'.'
                                                               : static_cast<char16_t>(term.value));
    runs.back().ends.push_back(term.end);
  }
  return runs;
}

std::u16string EffectiveText(std::u16string_view pattern, const PatternReading& reading) {
  std::vector<bool> dropped(pattern.size(), false);
  for (const IgnoredText& ignored : reading.ignored) {
    for (size_t i = ignored.begin; i < ignored.end && i < pattern.size(); ++i) {
      dropped[i] = true;
    }
  }
  std::u16string text;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (!dropped[i]) {
      text.push_back(pattern[i]);
    }
  }
  return text;
}

std::string IgnoredMessage(const IgnoredText& ignored,
                           std::u16string_view pattern,
                           const std::u16string& effective) {
  const std::string text =
      "'" + DisplayText(pattern.substr(ignored.begin, ignored.end - ignored.begin)) + "'";
  const std::string compiles = "; the pattern compiles as '" + DisplayText(effective) + "'";
  switch (ignored.reason) {
    case IgnoredReason::kClosingBracket:
      return text + " is ignored: a '" + DisplayText(pattern.substr(ignored.begin, 1)) +
             "' outside any group ends the pattern" + compiles;
    case IgnoredReason::kDanglingAlternation:
      return text + " is dropped: a '|' with nothing after it removes its whole alternation" +
             compiles;
    case IgnoredReason::kDanglingNegation:
      return "'!' with no atom after it is dropped" + compiles;
    case IgnoredReason::kNulCharacter:
      return "a NUL character ends the pattern; the rest of the line is ignored";
  }
  return text + " is ignored";
}

PatternAnalysis AnalyseRead(std::u16string_view pattern,
                            const PatternReading& reading,
                            PatternError error,
                            const UrlPattern* program,
                            bool run_checks) {
  static const UrlPattern kNoProgram;
  PatternAnalysis analysis;
  analysis.program = &kNoProgram;
  analysis.error = error;
  analysis.stop = reading.stop;
  analysis.anchored = reading.anchored;
  analysis.may_be_empty = reading.sequence.may_be_empty;
  if (analysis.error != PatternError::kOk || program == nullptr) {
    return analysis;
  }
  analysis.program = program;
  analysis.effective = EffectiveText(pattern, reading);
  analysis.matches_everything = MatchesEmptyEverywhere(reading.sequence);
  analysis.literal = LiteralFormOf(reading);
  analysis.runs = PlainRuns(reading);
  for (const IgnoredText& ignored : reading.ignored) {
    analysis.notes.push_back(PatternNote{PatternIssue::kIgnoredText, ignored.begin,
                                         IgnoredMessage(ignored, pattern, analysis.effective)});
  }
  if (run_checks) {
    PatternChecker(pattern, program->has_back_references(), &analysis.notes).Scan(reading.sequence);
  }
  std::stable_sort(
      analysis.notes.begin(), analysis.notes.end(),
      [](const PatternNote& a, const PatternNote& b) { return a.position < b.position; });
  return analysis;
}

}  // namespace

PatternAnalysis AnalyseReading(std::u16string_view pattern,
                               const PatternReading& reading,
                               PatternError error,
                               const UrlPattern* program) {
  return AnalyseRead(pattern, reading, error, program, true);
}

PatternAnalysis PatternAnalyser::Analyse(std::u16string_view pattern, bool run_checks) {
  const PatternError error = CompilePattern(pattern, &program_, &reading_, &workspace_);
  return AnalyseRead(pattern, reading_, error, &program_, run_checks);
}

PatternAnalysis AnalysePattern(std::u16string_view pattern) {
  auto program = std::make_shared<UrlPattern>();
  PatternReading reading;
  const PatternError error = CompilePattern(pattern, program.get(), &reading);
  PatternAnalysis analysis = AnalyseReading(pattern, reading, error, program.get());
  analysis.own_program = std::move(program);
  return analysis;
}

std::string DisplayText(std::u16string_view text, size_t limit) {
  std::u16string shown;
  for (char16_t c : text.substr(0, limit)) {
    if (c < 0x20 || c == 0x7f) {
      static constexpr char kHex[] = "0123456789abcdef";
      shown += u"\\x";
      shown.push_back(static_cast<char16_t>(kHex[c >> 4]));
      shown.push_back(static_cast<char16_t>(kHex[c & 15]));
    } else {
      shown.push_back(c);
    }
  }
  if (text.size() > limit) {
    shown += u"...";
  }
  return ToUtf8(shown);
}

}  // namespace zelk::tools
