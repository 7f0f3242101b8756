// A multi-literal automaton (Aho-Corasick) over the literal factors of many rules: one scan
// of an address names every rule one of whose factors occurs in it. Pure code.
#ifndef ZELK_URLFILTER_FACTOR_INDEX_H_
#define ZELK_URLFILTER_FACTOR_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

class FactorIndex {
 public:
  // One factor of one rule; rules are numbered by the caller.
  struct Entry {
    std::u16string text;  // not empty
    uint32_t rule;
  };

  FactorIndex() = default;
  // Builds the automaton over `entries`.
  explicit FactorIndex(const std::vector<Entry>& entries);

  // Appends to `rules` the number of every rule with a factor that occurs in `text`, in no
  // particular order: once for each of its factors that occurs. `scratch` is working room,
  // reusable between calls.
  void FindRules(std::u16string_view text,
                 std::vector<uint32_t>* rules,
                 std::vector<uint32_t>* scratch) const;

  size_t node_count() const { return nodes_.size(); }
  // Bytes the automaton holds.
  size_t memory() const;

 private:
  struct Node {
    uint32_t first_edge = 0;   // edges [first_edge, next node's first_edge)
    uint32_t fail = 0;         // the longest proper suffix that is also a node
    uint32_t output = 0;       // the nearest node on the fail chain (itself included) that
                               // ends factors, or 0 for none
    uint32_t rules_begin = 0;  // rules [rules_begin, next node's rules_begin) end here
  };
  struct Edge {
    char16_t c;
    uint32_t to;
  };

  uint32_t Child(uint32_t node, char16_t c) const;
  uint32_t Step(uint32_t node, char16_t c) const;
  void LinkFailures();

  std::vector<Node> nodes_;  // node 0 is the root; one extra node closes the ranges
  std::vector<Edge> edges_;
  std::vector<uint32_t> rules_;
};

}  // namespace zelk

#endif  // ZELK_URLFILTER_FACTOR_INDEX_H_
