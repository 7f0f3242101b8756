#include "tools/zelkctl/lint/pattern_shapes.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "common/text.h"

namespace zelk::tools {
namespace {

// Bounds on what the shapes hold, so that a list of distinct rules costs little: skeletons
// met once are forgotten when the room fills, and learning stops once the shapes hold
// this much.
constexpr size_t kMaxSkeletons = 4096;
constexpr size_t kMaxShapesPerSkeleton = 2;
constexpr size_t kMaxShapeBytes = size_t{32} << 20;
constexpr size_t kMaxLearntPattern = 1024;

// Stands for a varied character in a skeleton; it is only hashed, never trusted.
constexpr char16_t kMask = 0xffff;
// The run's characters are replaced by codes from here on to find them in the program:
// no filter line holds them (its characters are bytes), and none is a pattern operator.
constexpr char16_t kProbeBase = 0x100;

// Characters that read as themselves wherever they stand outside a class, and that no
// neighbour of theirs reads differently: letters, digits, "_" and "-".
bool IsVaried(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_' || c == u'-';
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// A term of the top sequence that the run may hold: a varied character, or an escaped
// character that is neither varied nor special after "\" (so "\." but not "\d" or "\1").
bool IsRunTerm(const PatternNode& term, std::u16string_view pattern) {
  if (term.kind != NodeKind::kChar || term.value == 0) {
    return false;
  }
  if (term.end == term.begin + 1) {
    return IsVaried(pattern[term.begin]);
  }
  return term.end == term.begin + 2 && pattern[term.begin] == u'\\' &&
         !IsVaried(pattern[term.begin + 1]) && pattern[term.begin + 1] < 0x80;
}

// The span of the run of the top sequence with the most varied characters, or an empty one.
std::pair<size_t, size_t> LongestRun(const PatternReading& reading, std::u16string_view pattern) {
  std::pair<size_t, size_t> best{0, 0};
  size_t best_varied = 0;
  size_t begin = 0;
  size_t varied = 0;
  bool open = false;
  const std::vector<PatternNode>& terms = reading.sequence.children;
  for (size_t i = 0; i < terms.size(); ++i) {
    if (!IsRunTerm(terms[i], pattern)) {
      open = false;
      continue;
    }
    if (!open || terms[i].begin != terms[i - 1].end) {
      begin = terms[i].begin;
      varied = 0;
      open = true;
    }
    varied += terms[i].end == terms[i].begin + 1 ? 1 : 0;
    if (varied > best_varied) {
      best = {begin, terms[i].end};
      best_varied = varied;
    }
  }
  return best;
}

}  // namespace

size_t PatternShapes::shape_count() const {
  size_t count = 0;
  for (const auto& entry : skeletons_) {
    count += entry.second.shapes.size();
  }
  return count;
}

void PatternShapes::MakeSkeleton(std::u16string_view pattern) {
  skeleton_.assign(pattern);
  for (char16_t& c : skeleton_) {
    c = IsVaried(c) ? kMask : c;
  }
}

// Outside its run the pattern is the learnt one; inside it, varied characters stand where
// the learnt one has them, and the rest are the same.
bool PatternShapes::Fits(const Shape& shape, std::u16string_view pattern) {
  const std::u16string_view text = shape.text;
  if (pattern.size() != text.size() ||
      pattern.substr(0, shape.run_begin) != text.substr(0, shape.run_begin) ||
      pattern.substr(shape.run_end) != text.substr(shape.run_end)) {
    return false;
  }
  for (size_t i = shape.run_begin; i < shape.run_end; ++i) {
    if (IsVaried(text[i]) ? !IsVaried(pattern[i]) : pattern[i] != text[i]) {
      return false;
    }
  }
  return true;
}

void PatternShapes::Fill(const Shape& shape, std::u16string_view pattern, Derived* derived) {
  derived->anchored = shape.anchored;
  derived->program = shape.program;
  for (const auto& [instruction, offset] : shape.places) {
    derived->program[instruction].set_operand(FoldAscii(pattern[shape.run_begin + offset]));
  }
}

bool PatternShapes::Derive(std::u16string_view pattern, Derived* derived, bool* worth_learning) {
  *worth_learning = false;
  if (pattern.size() > kMaxLearntPattern) {
    return false;
  }
  MakeSkeleton(pattern);
  const auto found = skeletons_.find(skeleton_);
  if (found != skeletons_.end()) {
    for (const Shape& shape : found->second.shapes) {
      if (Fits(shape, pattern)) {
        Fill(shape, pattern, derived);
        return true;
      }
    }
    found->second.met_again = true;
    *worth_learning = found->second.shapes.size() + found->second.failures < kMaxShapesPerSkeleton;
    return false;
  }
  MakeRoom();
  if (!full_) {
    skeletons_.emplace(skeleton_, Skeleton());
  }
  return false;
}

// Forgets the skeletons met once when the room is full; when every one was met again,
// the room stays full.
void PatternShapes::MakeRoom() {
  if (full_ || skeletons_.size() < kMaxSkeletons) {
    return;
  }
  for (auto it = skeletons_.begin(); it != skeletons_.end();) {
    it = it->second.met_again ? std::next(it) : skeletons_.erase(it);
  }
  full_ = skeletons_.size() >= kMaxSkeletons;
}

void PatternShapes::Learn(std::u16string_view pattern, const PatternAnalysis& analysis) {
  if (pattern.size() > kMaxLearntPattern) {
    return;
  }
  MakeSkeleton(pattern);
  const auto found = skeletons_.find(skeleton_);
  if (found == skeletons_.end()) {
    return;
  }
  Shape shape;
  if (analysis.error != PatternError::kOk || !analysis.notes.empty() ||
      analysis.literal.is_literal || analysis.matches_everything || bytes_ > kMaxShapeBytes ||
      !LearnShape(pattern, &shape)) {
    ++found->second.failures;
    return;
  }
  bytes_ += shape.text.size() * sizeof(char16_t) + shape.program.size() * sizeof(uint32_t) +
            shape.places.size() * sizeof(shape.places[0]);
  found->second.shapes.push_back(std::move(shape));
}

// Reads the pattern for its run, then compiles it with the run's varied characters
// replaced by codes that show where each one lands in the program.
bool PatternShapes::LearnShape(std::u16string_view pattern, Shape* shape) {
  UrlPattern program;
  if (CompilePattern(pattern, &program, &reading_, &workspace_) != PatternError::kOk ||
      !reading_.ignored.empty()) {
    return false;
  }
  const auto [begin, end] = LongestRun(reading_, pattern);
  // After a back-reference's digits, a digit would lengthen its number.
  if (begin == end || (begin != 0 && IsDigit(pattern[begin - 1]))) {
    return false;
  }
  shape->text.assign(pattern);
  shape->run_begin = begin;
  shape->run_end = end;
  shape->anchored = reading_.anchored;
  shape->program = program.instructions();
  std::u16string probe(pattern);
  for (size_t i = begin; i < end; ++i) {
    probe[i] = IsVaried(probe[i]) ? static_cast<char16_t>(kProbeBase + (i - begin)) : probe[i];
  }
  UrlPattern probed;
  return CompilePattern(probe, &probed, &reading_, &workspace_) == PatternError::kOk &&
         Locate(probed, shape);
}

// Every instruction of the probe is the learnt one's, but for the characters of the run,
// each the folded character at its place.
bool PatternShapes::Locate(const UrlPattern& probe, Shape* shape) const {
  const std::vector<PatternInstruction>& probed = probe.instructions();
  if (probed.size() != shape->program.size()) {
    return false;
  }
  const size_t run_length = shape->run_end - shape->run_begin;
  for (uint32_t i = 0; i < probed.size(); ++i) {
    const PatternInstruction learnt = shape->program[i];
    if (probed[i] == learnt) {
      continue;
    }
    const uint32_t offset = probed[i].operand() - kProbeBase;
    if (probed[i].op() != Op::kChar || learnt.op() != Op::kChar ||
        probed[i].operand() < kProbeBase || offset >= run_length ||
        learnt.operand() != FoldAscii(shape->text[shape->run_begin + offset])) {
      return false;
    }
    shape->places.emplace_back(i, offset);
  }
  return !shape->places.empty();
}

}  // namespace zelk::tools
