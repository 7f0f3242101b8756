#include "urlfilter/pattern/parser.h"

#include <utility>

namespace zelk {

namespace {

// Back-reference numbers saturate here while their digits are read; any such number names
// no group, so the exact value past it never matters.
constexpr uint32_t kBackRefSaturation = 0x7fffffff;

// Nodes are built in place, in the children vectors of their parents, and the reader keeps
// no node on its own stack frames: a level of nesting then costs only a few small frames.

// Turns a freshly made node into a leaf.
void MakeLeaf(PatternNode* node, NodeKind kind, uint32_t value = 0) {
  node->kind = kind;
  node->value = value;
}

// Puts a new node of `kind` in the place of *node, with the old node as its only child.
void WrapInPlace(PatternNode* node, NodeKind kind) {
  std::vector<PatternNode> children(1);
  children[0] = std::move(*node);
  node->kind = kind;
  node->value = 0;
  node->negated = false;
  node->members.clear();
  node->children = std::move(children);
  node->may_be_empty = node->children[0].may_be_empty;
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// A recursive-descent reader with one character of look-ahead. Each Parse function fills a
// freshly made node and returns true when it produced one; false either when nothing stands
// at the current position (a closing bracket or the end: the enclosing sequence ends there)
// or after an error, which failed() tells apart. After false the node is to be dropped.
class Parser {
 public:
  Parser(std::u16string_view text,
         const PatternAbbreviationTable& abbreviations,
         uint32_t* group_count,
         bool in_abbreviation)
      : text_(text),
        abbreviations_(abbreviations),
        group_count_(group_count),
        in_abbreviation_(in_abbreviation) {}

  PatternError error() const { return error_; }
  bool failed() const { return error_ != PatternError::kOk; }

  void ParseSequence(PatternNode* sequence);
  bool ParseQuantified(PatternNode* out);

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  // The current character, or 0 at the end (a pattern holds no 0 of its own).
  char16_t Peek() const { return AtEnd() ? 0 : text_[pos_]; }
  bool Fail(PatternError error);
  bool Enter();
  void Leave() { --depth_; }

  bool ParseAlternative(PatternNode* out);
  bool ReadQuantifier(Quantifier* quantifier);
  bool ParseAtom(PatternNode* out);
  bool ParseGroup(bool capture, PatternNode* out);
  bool ParseNegation(PatternNode* out);
  bool ParseClass(PatternNode* out);
  bool ParseClassMember(ClassMember* member);
  bool ParseEscape(PatternNode* out);
  bool ParseBackRef(PatternNode* out);
  bool ParseAbbreviation(const PatternAbbreviation& abbreviation, PatternNode* out);

  std::u16string_view text_;
  const PatternAbbreviationTable& abbreviations_;
  uint32_t* group_count_;
  bool in_abbreviation_;
  size_t pos_ = 0;
  uint32_t depth_ = 0;
  PatternError error_ = PatternError::kOk;
};

bool Parser::Fail(PatternError error) {
  if (error_ == PatternError::kOk) {
    error_ = error;
  }
  return false;
}

// Counts one level of group or negation; the limit keeps the reader's recursion, and the
// emitter's walk of the tree, within a small part of the thread's stack.
bool Parser::Enter() {
  if (++depth_ > kMaxPatternNesting) {
    return Fail(PatternError::kTooDeep);
  }
  return true;
}

// A sequence is a run of alternatives, until one yields nothing.
void Parser::ParseSequence(PatternNode* sequence) {
  MakeLeaf(sequence, NodeKind::kSequence);
  sequence->may_be_empty = true;
  std::vector<PatternNode>& terms = sequence->children;
  for (;;) {
    terms.emplace_back();
    if (!ParseAlternative(&terms.back())) {
      terms.pop_back();
      return;
    }
    sequence->may_be_empty = sequence->may_be_empty && terms.back().may_be_empty;
  }
}

// term ("|" term)*. The chain nests to the right, so it is read in a loop rather than by
// recursion: a rule of thousands of alternatives costs no stack. A "|" followed by nothing
// drops the whole chain, with the groups it opened, as if it had not been written.
bool Parser::ParseAlternative(PatternNode* out) {
  const uint32_t groups_before = *group_count_;
  if (!ParseQuantified(out)) {
    return false;
  }
  if (Peek() != u'|') {
    return true;
  }
  WrapInPlace(out, NodeKind::kAlternation);
  while (Peek() == u'|') {
    ++pos_;
    out->children.emplace_back();
    if (!ParseQuantified(&out->children.back())) {
      if (!failed()) {
        *group_count_ = groups_before;
      }
      return false;
    }
    out->may_be_empty = out->may_be_empty || out->children.back().may_be_empty;
  }
  return true;
}

// One atom and at most one quantifier ("a**" is a* and a literal "*").
bool Parser::ParseQuantified(PatternNode* out) {
  if (!ParseAtom(out)) {
    return false;
  }
  Quantifier quantifier;
  if (!ReadQuantifier(&quantifier)) {
    return true;
  }
  const bool at_most_once =
      quantifier == Quantifier::kOptional || quantifier == Quantifier::kLazyOptional;
  if (!at_most_once && out->may_be_empty) {
    return Fail(PatternError::kEmptyRepeat);
  }
  WrapInPlace(out, NodeKind::kRepeat);
  out->quantifier = quantifier;
  out->may_be_empty = quantifier != Quantifier::kPlus && quantifier != Quantifier::kLazyPlus;
  return true;
}

bool Parser::ReadQuantifier(Quantifier* quantifier) {
  const char16_t c = Peek();
  if (c != u'*' && c != u'+' && c != u'?') {
    return false;
  }
  ++pos_;
  const bool lazy = Peek() == u'?';
  if (lazy) {
    ++pos_;
  }
  if (c == u'*') {
    *quantifier = lazy ? Quantifier::kLazyStar : Quantifier::kStar;
  } else if (c == u'+') {
    *quantifier = lazy ? Quantifier::kLazyPlus : Quantifier::kPlus;
  } else {
    *quantifier = lazy ? Quantifier::kLazyOptional : Quantifier::kOptional;
  }
  return true;
}

bool Parser::ParseAtom(PatternNode* out) {
  switch (Peek()) {
    case 0:
    case u')':
    case u']':
    case u'}':
      return false;
    case u'(':
      return ParseGroup(false, out);
    case u'{':
      return ParseGroup(true, out);
    case u'[':
      return ParseClass(out);
    case u'\\':
      return ParseEscape(out);
    case u'!':
      return ParseNegation(out);
    case u'.':
      ++pos_;
      MakeLeaf(out, NodeKind::kAnyChar);
      return true;
    case u'$':
      // The end of input only as the pattern's very last character; a literal elsewhere.
      if (pos_ + 1 == text_.size()) {
        ++pos_;
        MakeLeaf(out, NodeKind::kChar, 0);
        return true;
      }
      break;
    default:
      break;
  }
  MakeLeaf(out, NodeKind::kChar, text_[pos_++]);
  return true;
}

// "(" sequence ")" or "{" sequence "}". A capture group takes its number before its body.
// A closing bracket of the wrong kind, or the end, leaves this group unclosed.
bool Parser::ParseGroup(bool capture, PatternNode* out) {
  ++pos_;
  if (!Enter()) {
    return false;
  }
  MakeLeaf(out, capture ? NodeKind::kCapture : NodeKind::kGroup, capture ? (*group_count_)++ : 0);
  out->children.emplace_back();
  ParseSequence(&out->children[0]);
  Leave();
  if (failed()) {
    return false;
  }
  if (Peek() != (capture ? u'}' : u')')) {
    return Fail(capture ? PatternError::kMissingBrace : PatternError::kMissingParen);
  }
  ++pos_;
  out->may_be_empty = out->children[0].may_be_empty;
  return true;
}

// "!" atom. Without an atom after it (a closing bracket or the end) the "!" is dropped and
// yields nothing, which ends the enclosing sequence.
bool Parser::ParseNegation(PatternNode* out) {
  ++pos_;
  if (!Enter()) {
    return false;
  }
  MakeLeaf(out, NodeKind::kNegation);
  out->children.emplace_back();
  const bool produced = ParseAtom(&out->children[0]);
  Leave();
  if (!produced) {
    return false;
  }
  out->may_be_empty = out->children[0].may_be_empty;
  return true;
}

bool Parser::ParseClass(PatternNode* out) {
  ++pos_;
  MakeLeaf(out, NodeKind::kClass);
  if (Peek() == u'^') {
    out->negated = true;
    ++pos_;
  }
  if (Peek() == u']') {
    return Fail(PatternError::kEmptyClass);
  }
  while (Peek() != u']') {
    if (AtEnd()) {
      return Fail(PatternError::kMissingBracket);
    }
    ClassMember member;
    if (!ParseClassMember(&member)) {
      return false;
    }
    out->members.push_back(member);
  }
  ++pos_;
  return true;
}

// One character or "\" and one character ("\t" is a tab), optionally "-" and an upper bound
// taken literally. A "\" or "-" with nothing after it leaves the class unclosed.
bool Parser::ParseClassMember(ClassMember* member) {
  char16_t low = text_[pos_++];
  if (low == u'\\') {
    if (AtEnd()) {
      return Fail(PatternError::kMissingBracket);
    }
    low = text_[pos_++];
    if (low == u't') {
      low = u'\t';
    }
  }
  char16_t high = low;
  if (Peek() == u'-') {
    ++pos_;
    if (AtEnd() || Peek() == u']') {
      return Fail(PatternError::kMissingBracket);
    }
    high = text_[pos_++];
    if (high < low) {
      return Fail(PatternError::kBadRange);
    }
  }
  *member = ClassMember{low, high};
  return true;
}

// "\" digits is a back-reference, "\" and a table letter an abbreviation, "\" and any other
// character that character. A "\" that ends the pattern stands for itself.
bool Parser::ParseEscape(PatternNode* out) {
  ++pos_;
  if (AtEnd()) {
    MakeLeaf(out, NodeKind::kChar, u'\\');
    return true;
  }
  const char16_t c = Peek();
  if (IsDigit(c)) {
    return ParseBackRef(out);
  }
  for (size_t i = 0; i < abbreviations_.size; ++i) {
    if (abbreviations_.entries[i].letter == c) {
      ++pos_;
      return ParseAbbreviation(abbreviations_.entries[i], out);
    }
  }
  ++pos_;
  MakeLeaf(out, NodeKind::kChar, c);
  return true;
}

bool Parser::ParseBackRef(PatternNode* out) {
  uint32_t number = 0;
  while (IsDigit(Peek())) {
    const uint32_t digit = Peek() - u'0';
    number = number > (kBackRefSaturation - digit) / 10 ? kBackRefSaturation : number * 10 + digit;
    ++pos_;
  }
  if (number >= *group_count_) {
    return Fail(PatternError::kNoSuchGroup);
  }
  MakeLeaf(out, NodeKind::kBackRef, number);
  return true;
}

// The first quantified term of the stored expression, read as stored (unfolded). A stored
// expression that yields no term, fails, or uses an abbreviation itself is refused, so a
// table can never make the reader recurse without end.
bool Parser::ParseAbbreviation(const PatternAbbreviation& abbreviation, PatternNode* out) {
  if (in_abbreviation_) {
    return Fail(PatternError::kBadAbbreviation);
  }
  Parser inner(abbreviation.expression, abbreviations_, group_count_, true);
  if (!inner.ParseQuantified(out)) {
    return Fail(PatternError::kBadAbbreviation);
  }
  return true;
}

}  // namespace

PatternError ParsePattern(std::u16string_view text,
                          const PatternAbbreviationTable& abbreviations,
                          PatternNode* sequence,
                          uint32_t* group_count) {
  Parser parser(text, abbreviations, group_count, false);
  parser.ParseSequence(sequence);
  return parser.error();
}

}  // namespace zelk
