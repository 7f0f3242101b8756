#include "urlfilter/pattern/parser.h"

#include <algorithm>
#include <utility>

#include "common/text.h"

namespace zelk {

namespace {

// Back-reference numbers saturate here while their digits are read; any such number names
// no group, so the exact value past it never matters.
constexpr uint32_t kBackRefSaturation = 0x7fffffff;

// Room made for the terms of a pattern's top sequence, at most.
constexpr size_t kTopTermsReserved = 64;
// Room made for a class's members: most classes have a few.
constexpr size_t kClassMembersReserved = 4;
// Emptied vectors kept for the next pattern, at most: enough for the trees of real rules,
// while one huge pattern does not leave its whole tree's room behind.
constexpr size_t kSpareVectorsKept = 1024;

// A vector from `spare`, emptied, or a new one.
template <typename T>
std::vector<T> TakeSpare(std::vector<std::vector<T>>* spare) {
  if (spare->empty()) {
    return {};
  }
  std::vector<T> taken = std::move(spare->back());
  spare->pop_back();
  return taken;
}

template <typename T>
void KeepSpare(std::vector<T>* vector, std::vector<std::vector<T>>* spare) {
  if (vector->capacity() != 0 && spare->size() < kSpareVectorsKept) {
    vector->clear();
    spare->push_back(std::move(*vector));
  }
}

// Empties the tree under `node` into `room`, children first, so that no node is destroyed
// while it still holds room worth keeping.
void Recycle(PatternNode* node, PatternNodeRoom* room) {
  for (PatternNode& child : node->children) {
    Recycle(&child, room);
  }
  KeepSpare(&node->children, &room->children);
  KeepSpare(&node->members, &room->members);
}

// Nodes are built in place, in the children vectors of their parents, and the reader keeps
// no node on its own stack frames: a level of nesting then costs only a few small frames.

// Turns a freshly made node into a leaf.
void MakeLeaf(PatternNode* node, NodeKind kind, uint32_t value = 0) {
  node->kind = kind;
  node->value = value;
}

// Puts a new node of `kind` in the place of *node, with the old node as its only child.
void WrapInPlace(PatternNode* node, NodeKind kind, PatternNodeRoom* room) {
  std::vector<PatternNode> children = TakeSpare(&room->children);
  children.push_back(std::move(*node));
  node->kind = kind;
  node->value = 0;
  node->negated = false;
  node->members.clear();
  node->children = std::move(children);
  node->may_be_empty = node->children[0].may_be_empty;
  node->begin = node->children[0].begin;
}

// Gives every node of a tree the same span.
void SetSpan(PatternNode* node, size_t begin, size_t end) {
  node->begin = begin;
  node->end = end;
  for (PatternNode& child : node->children) {
    SetSpan(&child, begin, end);
  }
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// A recursive-descent reader with one character of look-ahead. Each Parse function fills a
// freshly made node and returns true when it produced one; false either when nothing stands
// at the current position (a closing bracket or the end: the enclosing sequence ends there)
// or after an error, which failed() tells apart. After false the node is to be dropped.
// Text passed over without an error is noted in `ignored`, when one is given.
class Parser {
 public:
  Parser(std::u16string_view text,
         size_t start,
         const PatternAbbreviationTable& abbreviations,
         uint32_t* group_count,
         std::vector<IgnoredText>* ignored,
         PatternNodeRoom* room)
      : text_(text),
        abbreviations_(abbreviations),
        group_count_(group_count),
        ignored_(ignored),
        room_(room),
        pos_(start) {}

  PatternError error() const { return error_; }
  bool failed() const { return error_ != PatternError::kOk; }
  size_t pos() const { return pos_; }
  // Where the first error was found.
  size_t error_pos() const { return error_pos_; }

  void ParseSequence(PatternNode* sequence);
  bool ParseQuantified(PatternNode* out);

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  // The current character, or 0 at the end (a pattern holds no 0 of its own).
  char16_t Peek() const { return AtEnd() ? 0 : text_[pos_]; }
  // Records the first error, found at `at` (by default where reading stands).
  bool Fail(PatternError error) { return Fail(error, pos_); }
  bool Fail(PatternError error, size_t at);
  void Ignore(IgnoredReason reason, size_t begin);
  bool Enter();
  void Leave() { --depth_; }

  bool ParseAlternative(PatternNode* out);
  bool ReadQuantifier(Quantifier* quantifier);
  bool ParseAtom(PatternNode* out);
  bool ParseAtomAt(PatternNode* out);
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
  std::vector<IgnoredText>* ignored_;
  PatternNodeRoom* room_;
  // An abbreviation's stored expression is read by a parser of its own; it has none.
  bool in_abbreviation_ = false;
  size_t pos_;
  uint32_t depth_ = 0;
  PatternError error_ = PatternError::kOk;
  size_t error_pos_ = 0;
};

bool Parser::Fail(PatternError error, size_t at) {
  if (error_ == PatternError::kOk) {
    error_ = error;
    error_pos_ = at;
  }
  return false;
}

// Notes the text from `begin` to where reading stands as passed over.
void Parser::Ignore(IgnoredReason reason, size_t begin) {
  if (ignored_ != nullptr) {
    ignored_->push_back(IgnoredText{reason, begin, pos_});
  }
}

// Counts one level of group or negation; the limit keeps the reader's recursion, and the
// emitter's walk of the tree, within a small part of the thread's stack.
bool Parser::Enter() {
  if (++depth_ > kMaxPatternNesting) {
    return Fail(PatternError::kTooDeep, pos_ - 1);
  }
  return true;
}

// A sequence is a run of alternatives, until one yields nothing.
void Parser::ParseSequence(PatternNode* sequence) {
  MakeLeaf(sequence, NodeKind::kSequence);
  sequence->may_be_empty = true;
  sequence->begin = pos_;
  std::vector<PatternNode>& terms = sequence->children;
  if (terms.capacity() == 0) {
    terms = TakeSpare(&room_->children);
  }
  for (;;) {
    terms.emplace_back();
    if (!ParseAlternative(&terms.back())) {
      terms.pop_back();
      sequence->end = pos_;
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
  WrapInPlace(out, NodeKind::kAlternation, room_);
  while (Peek() == u'|') {
    ++pos_;
    out->children.emplace_back();
    if (!ParseQuantified(&out->children.back())) {
      if (!failed()) {
        *group_count_ = groups_before;
        Ignore(IgnoredReason::kDanglingAlternation, out->begin);
      }
      return false;
    }
    out->may_be_empty = out->may_be_empty || out->children.back().may_be_empty;
  }
  out->end = pos_;
  return true;
}

// One atom and at most one quantifier ("a**" is a* and a literal "*").
bool Parser::ParseQuantified(PatternNode* out) {
  if (!ParseAtom(out)) {
    return false;
  }
  Quantifier quantifier;
  const size_t quantifier_pos = pos_;
  if (!ReadQuantifier(&quantifier)) {
    return true;
  }
  const bool at_most_once =
      quantifier == Quantifier::kOptional || quantifier == Quantifier::kLazyOptional;
  if (!at_most_once && out->may_be_empty) {
    return Fail(PatternError::kEmptyRepeat, quantifier_pos);
  }
  WrapInPlace(out, NodeKind::kRepeat, room_);
  out->end = pos_;
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

// Parses one atom and gives it its span.
bool Parser::ParseAtom(PatternNode* out) {
  const size_t begin = pos_;
  if (!ParseAtomAt(out)) {
    return false;
  }
  out->begin = begin;
  out->end = pos_;
  return true;
}

bool Parser::ParseAtomAt(PatternNode* out) {
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
  out->children = TakeSpare(&room_->children);
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
  const size_t begin = pos_++;
  if (!Enter()) {
    return false;
  }
  MakeLeaf(out, NodeKind::kNegation);
  out->children = TakeSpare(&room_->children);
  out->children.emplace_back();
  const bool produced = ParseAtom(&out->children[0]);
  Leave();
  if (!produced) {
    if (!failed()) {
      Ignore(IgnoredReason::kDanglingNegation, begin);
    }
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
  out->members = TakeSpare(&room_->members);
  out->members.reserve(kClassMembersReserved);
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
      return Fail(PatternError::kBadRange, pos_ - 1);
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
  const size_t backslash = pos_ - 1;
  uint32_t number = 0;
  while (IsDigit(Peek())) {
    const uint32_t digit = Peek() - u'0';
    number = number > (kBackRefSaturation - digit) / 10 ? kBackRefSaturation : number * 10 + digit;
    ++pos_;
  }
  if (number >= *group_count_) {
    return Fail(PatternError::kNoSuchGroup, backslash);
  }
  MakeLeaf(out, NodeKind::kBackRef, number);
  return true;
}

// The first quantified term of the stored expression, read as stored (unfolded). A stored
// expression that yields no term, fails, or uses an abbreviation itself is refused, so a
// table can never make the reader recurse without end.
bool Parser::ParseAbbreviation(const PatternAbbreviation& abbreviation, PatternNode* out) {
  if (in_abbreviation_) {
    return Fail(PatternError::kBadAbbreviation, pos_ - 1);
  }
  Parser inner(abbreviation.expression, 0, abbreviations_, group_count_, nullptr, room_);
  inner.in_abbreviation_ = true;
  if (!inner.ParseQuantified(out)) {
    return Fail(PatternError::kBadAbbreviation, pos_ - 1);
  }
  SetSpan(out, pos_ - 2, pos_);
  return true;
}

// Empties a reading for the next pattern, keeping the room of its tree: the top sequence's
// vector, and every vector under it as spare room.
void ResetKeepingRoom(PatternReading* reading) {
  PatternNodeRoom room = std::move(reading->room);
  std::vector<PatternNode> top = std::move(reading->sequence.children);
  for (PatternNode& term : top) {
    Recycle(&term, &room);
  }
  top.clear();
  std::vector<IgnoredText> ignored = std::move(reading->ignored);
  ignored.clear();
  *reading = PatternReading();
  reading->sequence.children = std::move(top);
  reading->ignored = std::move(ignored);
  reading->room = std::move(room);
}

}  // namespace

void ReadPattern(std::u16string_view pattern,
                 const PatternAbbreviationTable& abbreviations,
                 PatternReading* reading) {
  const size_t nul = pattern.find(u'\0');
  // A pattern from the filter list comes folded already, and is read where it stands.
  std::u16string folded_copy;
  std::u16string_view folded = pattern.substr(0, nul);
  if (std::any_of(folded.begin(), folded.end(), [](char16_t c) { return FoldAscii(c) != c; })) {
    folded_copy = FoldAscii(folded);
    folded = folded_copy;
  }
  ResetKeepingRoom(reading);
  reading->anchored = !folded.empty() && folded[0] == u'^';
  Parser parser(folded, reading->anchored ? 1 : 0, abbreviations, &reading->group_count,
                &reading->ignored, &reading->room);
  // Most of a pattern's characters are terms of its top sequence; room for them up front
  // spares that vector's growth (the tree lives only until the program is emitted).
  reading->sequence.children.reserve(std::min(folded.size(), kTopTermsReserved));
  parser.ParseSequence(&reading->sequence);
  reading->error = parser.error();
  reading->stop = parser.failed() ? parser.error_pos() : parser.pos();
  if (!parser.failed() && parser.pos() < folded.size()) {
    reading->ignored.push_back(
        IgnoredText{IgnoredReason::kClosingBracket, parser.pos(), folded.size()});
  }
  if (nul != std::u16string_view::npos) {
    reading->ignored.push_back(IgnoredText{IgnoredReason::kNulCharacter, nul, pattern.size()});
  }
}

}  // namespace zelk
