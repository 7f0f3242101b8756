// Rules that differ only in one run of plain characters read into one tree but for the
// codes of those characters: every host rule an import writes differs from the others
// only in its host name. Pure code.
#ifndef ZELK_URLFILTER_RULE_SHAPES_H_
#define ZELK_URLFILTER_RULE_SHAPES_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "urlfilter/literal_factors.h"
#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/parser.h"

namespace zelk {

// The longest run of plain characters of a pattern that stand as terms of their own:
// [begin, end) of its text, `length` characters of the tree.
struct ShapeRun {
  size_t begin = 0;
  size_t end = 0;
  size_t length = 0;
  size_t rival_before = 0;  // the length of the longest run before it
  size_t rival_after = 0;   // the length of the longest run after it
};

// The trees of the rule shapes seen so far. A pattern's shape is its folded text with its
// longest run of plain characters (letters, digits, "_", "-", and escaped punctuation, none
// quantified nor beside "|" or "!") taken out, and the length of that run. Patterns of one
// shape read into the same tree but for the codes of that run's characters, so a pattern
// of a known shape costs a scan of its text, not a reading and a check.
class RuleShapes {
 public:
  RuleShapes();
  ~RuleShapes();
  RuleShapes(const RuleShapes&) = delete;
  RuleShapes& operator=(const RuleShapes&) = delete;

  // The tree `pattern` reads into, with the run's characters written into the tree kept
  // for its shape: null when the pattern has no run worth a shape, does not compile, or
  // the room for shapes is full (for good once full of shapes met only once, as in a list
  // of distinct rules). The tree holds until the next call; it carries the
  // spans of the pattern that first gave the shape, which are not this pattern's. With
  // `factors`, sets it to what gives the tree's required texts without reading all of it
  // again, or null when the shape keeps none (its run is not in the top sequence).
  const PatternReading* Read(std::u16string_view pattern,
                             PatternWorkspace* workspace,
                             const SharedTermFactors** factors = nullptr);

  size_t shape_count() const { return shapes_.size(); }

 private:
  struct Shape;
  bool MakeKey(std::u16string_view pattern);
  Shape* Find(std::u16string_view pattern, PatternWorkspace* workspace);
  bool SameAround(std::u16string_view pattern);
  Shape* FindAround(std::u16string_view pattern, PatternWorkspace* workspace);
  std::unique_ptr<Shape> Learn(std::u16string_view pattern, PatternWorkspace* workspace) const;
  void Fill(std::u16string_view pattern, Shape* shape) const;

  std::unordered_map<std::u16string, std::unique_ptr<Shape>> shapes_;
  std::u16string key_;  // the last pattern's shape, its room reused
  size_t hits_ = 0;     // patterns of a shape met before
  ShapeRun run_;        // the last pattern's run
  // Whether key_ and run_ are those of the last pattern, whose shape is last_ (null when
  // the shape keeps no tree).
  bool last_known_ = false;
  Shape* last_ = nullptr;
  // The shapes found for the text around the last key made, by run length: rules of one
  // shape differ mostly in their run's length, and this spares hashing their key. An entry
  // holds only while its `around` is around_.
  struct Sibling {
    size_t around = 0;  // around_ counts from 1
    Shape* shape = nullptr;
  };
  std::vector<Sibling> siblings_;
  size_t around_ = 0;  // counts the keys made
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_RULE_SHAPES_H_
