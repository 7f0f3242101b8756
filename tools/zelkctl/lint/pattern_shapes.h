// Patterns that differ only in one run of plain characters compile to the same program
// but for the codes of those characters: every host rule an import writes differs from
// the others only in its host name. The lint learns one pattern of such a shape and
// derives the program of the others from it, without reading or compiling them again.
// Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_LINT_PATTERN_SHAPES_H_
#define ZELK_TOOLS_ZELKCTL_LINT_PATTERN_SHAPES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tools/zelkctl/lint/pattern_analysis.h"
#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/parser.h"

namespace zelk::tools {

class PatternShapes {
 public:
  // What a derived pattern compiles to.
  struct Derived {
    bool anchored = false;
    std::vector<PatternInstruction> program;
  };

  // Fills `*derived` from a learnt pattern of the same shape, or returns false; then
  // `*worth_learning` tells whether the shape has been met before, so that learning it
  // (see Learn) is likely to pay.
  bool Derive(std::u16string_view pattern, Derived* derived, bool* worth_learning);

  // Learns the shape of `pattern` from its analysis, unless the analysis depends on the
  // characters of the run (a pattern that does not compile, has notes, is a plain text or
  // matches everything) or the pattern has no run to vary.
  void Learn(std::u16string_view pattern, const PatternAnalysis& analysis);

  size_t shape_count() const;

 private:
  // One learnt pattern: its text, the span of its run, and where each character of the
  // run stands in its program.
  struct Shape {
    std::u16string text;
    size_t run_begin = 0;
    size_t run_end = 0;
    bool anchored = false;
    std::vector<PatternInstruction> program;
    std::vector<std::pair<uint32_t, uint32_t>> places;  // instruction, offset in the run
  };
  // The shapes of one skeleton (the text with every letter, digit, "_" and "-" masked),
  // whether the skeleton was met more than once, and how often learning it failed (it is
  // not tried for ever: each try reads and compiles the pattern twice more).
  struct Skeleton {
    std::vector<Shape> shapes;
    bool met_again = false;
    size_t failures = 0;
  };

  static bool Fits(const Shape& shape, std::u16string_view pattern);
  static void Fill(const Shape& shape, std::u16string_view pattern, Derived* derived);
  bool LearnShape(std::u16string_view pattern, Shape* shape);
  bool Locate(const UrlPattern& probe, Shape* shape) const;
  void MakeSkeleton(std::u16string_view pattern);
  void MakeRoom();

  std::unordered_map<std::u16string, Skeleton> skeletons_;
  std::u16string skeleton_;  // of the last pattern, its room reused
  size_t bytes_ = 0;         // held by the shapes learnt
  bool full_ = false;        // no room for new skeletons, for good
  PatternReading reading_;
  PatternWorkspace workspace_;
};

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_LINT_PATTERN_SHAPES_H_
