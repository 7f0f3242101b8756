// A read pattern's tree as text, so that two readings compare in one assertion and a
// difference shows where it lies.
#ifndef ZELK_TESTS_SUPPORT_PATTERN_TREE_H_
#define ZELK_TESTS_SUPPORT_PATTERN_TREE_H_

#include <string>

#include "urlfilter/pattern/parser.h"

namespace zelk::testing {

// Kind, value, flags, quantifier and members of every node, depth first; with `spans`,
// where each stands in the pattern's text too.
std::string DumpTree(const PatternNode& node, bool spans);

}  // namespace zelk::testing

#endif  // ZELK_TESTS_SUPPORT_PATTERN_TREE_H_
