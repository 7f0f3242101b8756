#include "urlfilter/rule_shapes.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/text.h"
#include "urlfilter/pattern/abbreviations.h"

namespace zelk {
namespace {

// A run shorter than this saves too little reading to be worth a shape.
constexpr size_t kMinRunLength = 4;
// Shapes kept, at most: a list of distinct shapes should not hold a tree per rule.
constexpr size_t kMaxShapes = 256;
// Offsets and lengths are kept in one code unit each in a shape's key.
constexpr size_t kMaxShapedLength = 0xffff;
// Runs up to this long find the shapes around them without a look-up by key.
constexpr size_t kMaxSiblingLength = 256;

bool IsPlainCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
}

bool IsAbbreviationLetter(char16_t c) {
  for (size_t i = 0; i < PatternAbbreviations.size; ++i) {
    if (PatternAbbreviations.entries[i].letter == c) {
      return true;
    }
  }
  return false;
}

// "\" and a character that stands for itself: punctuation only, so that neither a
// back-reference, an abbreviation nor an escaped letter is taken for one.
bool IsPlainEscape(char16_t c) {
  return c > u' ' && c < 0x7f && !IsPlainCharacter(c) && !IsAbbreviationLetter(c);
}

// Where the class that opens at `pos` ends, read as the pattern reader reads one.
size_t ClassEnd(std::u16string_view text, size_t pos) {
  ++pos;
  if (pos < text.size() && text[pos] == u'^') {
    ++pos;
  }
  while (pos < text.size() && text[pos] != u']') {
    if (text[pos++] == u'\\' && pos < text.size()) {
      ++pos;
    }
    if (pos < text.size() && text[pos] == u'-' && ++pos < text.size() && text[pos] != u']') {
      ++pos;
    }
  }
  return pos < text.size() ? pos + 1 : pos;
}

// One token of a pattern: a plain character (one term of its own, read as that
// character) or any other construct, which only ends a run.
struct Token {
  size_t end = 0;
  bool plain = false;
};

// A token other than an unescaped plain character, whose first character folded is `c`.
Token OtherToken(std::u16string_view text, size_t pos, char16_t c) {
  if (c == u'[') {
    return Token{ClassEnd(text, pos), false};
  }
  if (c == u'\\' && pos + 1 < text.size()) {
    const char16_t next = FoldAscii(text[pos + 1]);
    return Token{pos + 2, IsPlainEscape(next)};
  }
  return Token{pos + 1, false};
}

// The common case, a plain character, is told here, where it is inlined into the scans.
inline Token NextToken(std::u16string_view text, size_t pos) {
  const char16_t c = FoldAscii(text[pos]);
  if (IsPlainCharacter(c)) {
    return Token{pos + 1, true};
  }
  return OtherToken(text, pos, c);
}

bool IsQuantifierOrBar(char16_t c) {
  return c == u'*' || c == u'+' || c == u'?' || c == u'|';
}

// A "|" or "!" before a run takes its first character; a quantifier or "|" after it, its last.
void Trim(std::u16string_view text, size_t* begin, size_t* end, size_t* length) {
  if (*length > 0 && *begin > 0 && (text[*begin - 1] == u'|' || text[*begin - 1] == u'!')) {
    *begin = NextToken(text, *begin).end;
    --*length;
  }
  if (*length > 0 && *end < text.size() && IsQuantifierOrBar(text[*end])) {
    size_t last = *begin;
    for (size_t i = *begin; i < *end; i = NextToken(text, i).end) {
      last = i;
    }
    *end = last;
    --*length;
  }
}

void KeepLonger(std::u16string_view text, ShapeRun run, ShapeRun* longest) {
  Trim(text, &run.begin, &run.end, &run.length);
  if (run.length > longest->length) {
    run.rival_before = longest->length;
    run.rival_after = 0;
    *longest = run;
  } else {
    longest->rival_after = std::max(longest->rival_after, run.length);
  }
}

// Where the unescaped plain characters from `pos` end. Most of a pattern is such
// characters, each a token of its own: they are taken in a row rather than token by token.
size_t UnescapedPlainEnd(std::u16string_view text, size_t pos) {
  while (pos < text.size() && IsPlainCharacter(FoldAscii(text[pos]))) {
    ++pos;
  }
  return pos;
}

// Whether `text` folded A-Z is `folded`. Most rules are written in lower case already, and
// are told by comparing their bytes.
bool FoldedEqual(std::u16string_view text, std::u16string_view folded) {
  if (text.size() != folded.size()) {
    return false;
  }
  if (text.empty() ||
      std::memcmp(text.data(), folded.data(), text.size() * sizeof(char16_t)) == 0) {
    return true;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    if (FoldAscii(text[i]) != folded[i]) {
      return false;
    }
  }
  return true;
}

// The longest run of a pattern, or one of length 0.
ShapeRun LongestRun(std::u16string_view text) {
  ShapeRun longest;
  ShapeRun run;
  for (size_t pos = 0; pos < text.size();) {
    const size_t plain_end = UnescapedPlainEnd(text, pos);
    if (plain_end != pos) {
      run.begin = run.length == 0 ? pos : run.begin;
      run.end = plain_end;
      run.length += plain_end - pos;
      pos = plain_end;
      continue;
    }
    const Token token = NextToken(text, pos);
    if (token.plain) {
      run.begin = run.length == 0 ? pos : run.begin;
      run.end = token.end;
      ++run.length;
    } else if (run.length != 0) {
      KeepLonger(text, run, &longest);
      run = ShapeRun();
    }
    pos = token.end;
  }
  if (run.length != 0) {
    KeepLonger(text, run, &longest);
  }
  return longest;
}

// The sequence whose terms from `*first` are the run's characters, read from
// [begin, end) as `length` single characters; null when the tree does not hold them so.
std::vector<PatternNode>* FindRunTerms(PatternNode* node, const ShapeRun& run, size_t* first) {
  std::vector<PatternNode>& terms = node->children;
  for (size_t i = 0; i < terms.size(); ++i) {
    if (node->kind == NodeKind::kSequence && terms[i].kind == NodeKind::kChar &&
        terms[i].begin == run.begin) {
      *first = i;
      return &terms;
    }
    if (terms[i].begin <= run.begin && run.begin < terms[i].end) {
      return FindRunTerms(&terms[i], run, first);
    }
  }
  return nullptr;
}

bool HoldsRun(const std::vector<PatternNode>& terms, size_t first, const ShapeRun& run) {
  if (terms.size() - first < run.length) {
    return false;
  }
  size_t at = run.begin;
  for (size_t i = first; i < first + run.length; ++i) {
    if (terms[i].kind != NodeKind::kChar || terms[i].begin != at) {
      return false;
    }
    at = terms[i].end;
  }
  return at == run.end;
}

}  // namespace

struct RuleShapes::Shape {
  PatternReading reading;
  std::vector<PatternNode>* run_terms = nullptr;
  size_t first = 0;
  std::unique_ptr<SharedTermFactors> factors;  // null when the run is nested in a group
};

RuleShapes::RuleShapes() = default;
RuleShapes::~RuleShapes() = default;

// The shape is the folded text around the run, after the run's place and length, so that
// two patterns share a key exactly when they differ only in the run's characters.
bool RuleShapes::MakeKey(std::u16string_view pattern) {
  if (pattern.size() > kMaxShapedLength) {
    return false;
  }
  run_ = LongestRun(pattern);
  if (run_.length < kMinRunLength) {
    return false;
  }
  ++around_;
  key_.clear();
  key_.push_back(static_cast<char16_t>(run_.begin));
  key_.push_back(static_cast<char16_t>(run_.length));
  key_.append(pattern.substr(0, run_.begin));
  key_.append(pattern.substr(run_.end));
  for (size_t i = 2; i < key_.size(); ++i) {
    key_[i] = FoldAscii(key_[i]);
  }
  return true;
}

// Writes the run's folded characters into the shape's tree.
void RuleShapes::Fill(std::u16string_view pattern, Shape* shape) const {
  PatternNode* term = &(*shape->run_terms)[shape->first];
  for (size_t pos = run_.begin; pos < run_.end; ++term) {
    const size_t end = NextToken(pattern, pos).end;
    term->value = FoldAscii(pattern[end - 1]);
    pos = end;
  }
}

// Reads the first pattern of a shape. The shape keeps its tree only when the pattern
// compiles and the tree holds the run as characters of one sequence.
std::unique_ptr<RuleShapes::Shape> RuleShapes::Learn(std::u16string_view pattern,
                                                     PatternWorkspace* workspace) const {
  auto shape = std::make_unique<Shape>();
  if (CheckPattern(pattern, &shape->reading, workspace) != PatternError::kOk ||
      !shape->reading.ignored.empty()) {
    return nullptr;
  }
  shape->run_terms = FindRunTerms(&shape->reading.sequence, run_, &shape->first);
  if (shape->run_terms == nullptr || !HoldsRun(*shape->run_terms, shape->first, run_)) {
    return nullptr;
  }
  if (shape->run_terms == &shape->reading.sequence.children &&
      SharedTermFactors::Fits(shape->reading, shape->first)) {
    shape->factors = std::make_unique<SharedTermFactors>(shape->reading, shape->first);
  }
  return shape;
}

// The shape of the key made last, found or learnt, or null when it keeps no tree or the
// room for shapes is full.
RuleShapes::Shape* RuleShapes::Find(std::u16string_view pattern, PatternWorkspace* workspace) {
  last_known_ = false;
  auto found = shapes_.find(key_);
  if (found == shapes_.end()) {
    if (shapes_.size() >= kMaxShapes) {
      return nullptr;
    }
    found = shapes_.emplace(key_, Learn(pattern, workspace)).first;
  } else {
    ++hits_;
  }
  last_known_ = true;
  last_ = found->second.get();
  return last_;
}

// Whether `pattern` is the last pattern's folded text around another run of plain tokens
// at the same place; run_ and key_ are then made its own without a scan. Every other run
// of it is one of the last pattern's, and so is what stands beside its run, so its run is
// those tokens when they are more than the runs before them and no fewer than those
// after. Rules of one list mostly share a few shapes that differ only in their run's
// length.
bool RuleShapes::SameAround(std::u16string_view pattern) {
  const std::u16string_view before = std::u16string_view(key_).substr(2, run_.begin);
  const std::u16string_view after = std::u16string_view(key_).substr(2 + run_.begin);
  if (pattern.size() > kMaxShapedLength || pattern.size() < before.size() + after.size() ||
      !FoldedEqual(pattern.substr(0, before.size()), before) ||
      !FoldedEqual(pattern.substr(pattern.size() - after.size()), after)) {
    return false;
  }
  const size_t run_end = pattern.size() - after.size();
  size_t tokens = 0;
  for (size_t pos = run_.begin; pos < run_end; ++tokens) {
    const Token token = NextToken(pattern, pos);
    if (!token.plain || token.end > run_end) {
      return false;
    }
    pos = token.end;
  }
  if (tokens < kMinRunLength || tokens <= run_.rival_before || tokens < run_.rival_after) {
    return false;
  }
  run_.end = run_end;
  run_.length = tokens;
  key_[1] = static_cast<char16_t>(tokens);
  return true;
}

// Find, for a pattern SameAround took: a shape met before around the same text with a run
// of the same length is taken without hashing the key.
RuleShapes::Shape* RuleShapes::FindAround(std::u16string_view pattern,
                                          PatternWorkspace* workspace) {
  if (run_.length >= kMaxSiblingLength) {
    return Find(pattern, workspace);
  }
  siblings_.resize(kMaxSiblingLength);
  Sibling& sibling = siblings_[run_.length];
  if (sibling.around == around_) {
    ++hits_;
    last_known_ = true;
    last_ = sibling.shape;
    return last_;
  }
  Shape* shape = Find(pattern, workspace);
  if (last_known_) {
    sibling = Sibling{around_, shape};
  }
  return shape;
}

const PatternReading* RuleShapes::Read(std::u16string_view pattern,
                                       PatternWorkspace* workspace,
                                       const SharedTermFactors** factors) {
  // A list whose rules share no shapes is spared the scans once the room for shapes is full.
  if (shapes_.size() >= kMaxShapes && hits_ < kMaxShapes) {
    return nullptr;
  }
  const size_t last_length = run_.length;
  Shape* shape = nullptr;
  if (last_known_ && SameAround(pattern)) {
    shape = run_.length == last_length ? last_ : FindAround(pattern, workspace);
    hits_ += run_.length == last_length ? 1 : 0;
  } else {
    if (!MakeKey(pattern)) {
      last_known_ = false;
      return nullptr;
    }
    shape = Find(pattern, workspace);
  }
  if (shape == nullptr) {
    return nullptr;
  }
  Fill(pattern, shape);
  if (factors != nullptr) {
    *factors = shape->factors.get();
  }
  return &shape->reading;
}

}  // namespace zelk
