#include "urlfilter/factor_index.h"

#include <algorithm>
#include <utility>

namespace zelk {
namespace {

// A factor with its first characters packed into integers, first character highest, so
// that sorting compares integers and reads the text itself only where those are equal.
struct SortedFactor {
  static constexpr size_t kKeyWords = 4;
  static constexpr size_t kPerWord = 4;

  SortedFactor(std::u16string_view factor_text, uint32_t factor_rule)
      : text(factor_text), rule(factor_rule) {
    for (size_t i = 0; i < kKeyWords * kPerWord && i < text.size(); ++i) {
      key[i / kPerWord] |= uint64_t{text[i]} << (16 * (kPerWord - 1 - i % kPerWord));
    }
  }

  // By text, then by rule. Texts that differ in their packed characters are ordered by
  // them: a text that ends where the other has a character packs that place as 0, and is
  // a prefix of it or smaller.
  bool operator<(const SortedFactor& other) const {
    for (size_t i = 0; i < kKeyWords; ++i) {
      if (key[i] != other.key[i]) {
        return key[i] < other.key[i];
      }
    }
    const int order = text.compare(other.text);
    return order != 0 ? order < 0 : rule < other.rule;
  }

  uint64_t key[kKeyWords] = {};
  std::u16string_view text;
  uint32_t rule;
};

// The trie of sorted factors, before it is laid out: node i + 1 is entered by edges[i],
// and the rules, grouped by the node where their factor ends, in the order of the nodes.
struct Trie {
  struct Edge {
    uint32_t from;
    char16_t c;
  };
  std::vector<Edge> edges;
  std::vector<uint32_t> rules;
  std::vector<uint32_t> rule_nodes;  // per rule above: the node where its factor ends
};

std::vector<SortedFactor> SortFactors(const std::vector<FactorIndex::Entry>& entries) {
  std::vector<SortedFactor> factors;
  factors.reserve(entries.size());
  for (const FactorIndex::Entry& entry : entries) {
    if (!entry.text.empty()) {
      factors.push_back(SortedFactor(entry.text, entry.rule));
    }
  }
  std::sort(factors.begin(), factors.end());
  return factors;
}

// One pass over the sorted factors: each shares with the one before it the nodes of their
// common prefix, and new nodes are numbered in the order they are made. A factor then ends
// at the node last made, or at the same node as the factor before it, so the rules come
// grouped by node, in the order of the nodes.
Trie BuildTrie(const std::vector<SortedFactor>& factors) {
  Trie trie;
  std::vector<uint32_t> path = {0};  // the nodes of the previous factor's prefixes
  std::u16string_view previous;
  for (const SortedFactor& factor : factors) {
    const size_t limit = std::min(previous.size(), factor.text.size());
    size_t common = 0;
    while (common < limit && previous[common] == factor.text[common]) {
      ++common;
    }
    path.resize(common + 1);
    for (size_t i = common; i < factor.text.size(); ++i) {
      trie.edges.push_back(Trie::Edge{path.back(), factor.text[i]});
      path.push_back(static_cast<uint32_t>(trie.edges.size()));
    }
    const uint32_t node = path.back();
    if (trie.rules.empty() || trie.rule_nodes.back() != node || trie.rules.back() != factor.rule) {
      trie.rules.push_back(factor.rule);
      trie.rule_nodes.push_back(node);
    }
    previous = factor.text;
  }
  return trie;
}

}  // namespace

// The trie's edges are grouped by parent with a counting sort, which keeps each node's
// children in the order they were made, the order of their characters, for a binary
// search.
FactorIndex::FactorIndex(const std::vector<Entry>& entries) {
  Trie trie = BuildTrie(SortFactors(entries));
  const uint32_t count = static_cast<uint32_t>(trie.edges.size() + 1);
  nodes_.resize(count + 1);
  for (const Trie::Edge& edge : trie.edges) {
    ++nodes_[edge.from + 1].first_edge;
  }
  for (const uint32_t node : trie.rule_nodes) {
    ++nodes_[node + 1].rules_begin;
  }
  for (uint32_t node = 1; node <= count; ++node) {
    nodes_[node].first_edge += nodes_[node - 1].first_edge;
    nodes_[node].rules_begin += nodes_[node - 1].rules_begin;
  }
  edges_.resize(trie.edges.size());
  std::vector<uint32_t> placed(count, 0);
  for (uint32_t i = 0; i < trie.edges.size(); ++i) {
    const uint32_t from = trie.edges[i].from;
    edges_[nodes_[from].first_edge + placed[from]++] = Edge{trie.edges[i].c, i + 1};
  }
  rules_ = std::move(trie.rules);
  LinkFailures();
}

uint32_t FactorIndex::Child(uint32_t node, char16_t c) const {
  const auto begin = edges_.begin() + nodes_[node].first_edge;
  const auto end = edges_.begin() + nodes_[node + 1].first_edge;
  const auto found = std::lower_bound(
      begin, end, c, [](const Edge& edge, char16_t wanted) { return edge.c < wanted; });
  return found != end && found->c == c ? found->to : 0;
}

// The node after reading `c` in `node`: the longest suffix of the text read that is a node.
uint32_t FactorIndex::Step(uint32_t node, char16_t c) const {
  for (;;) {
    const uint32_t child = Child(node, c);
    if (child != 0 || node == 0) {
      return child;
    }
    node = nodes_[node].fail;
  }
}

// Breadth first, so that a node's failure is known before its children's.
void FactorIndex::LinkFailures() {
  const uint32_t count = static_cast<uint32_t>(nodes_.size() - 1);
  std::vector<uint32_t> queue;
  queue.reserve(count);
  queue.push_back(0);
  for (size_t head = 0; head < queue.size(); ++head) {
    const uint32_t node = queue[head];
    const bool ends_here = nodes_[node].rules_begin != nodes_[node + 1].rules_begin;
    nodes_[node].output = ends_here ? node : nodes_[nodes_[node].fail].output;
    for (uint32_t e = nodes_[node].first_edge; e < nodes_[node + 1].first_edge; ++e) {
      const uint32_t child = edges_[e].to;
      nodes_[child].fail = node == 0 ? 0 : Step(nodes_[node].fail, edges_[e].c);
      queue.push_back(child);
    }
  }
}

void FactorIndex::FindRules(std::u16string_view text,
                            std::vector<uint32_t>* rules,
                            std::vector<uint32_t>* scratch) const {
  if (nodes_.size() <= 1) {
    return;
  }
  std::vector<uint32_t>& hits = *scratch;
  hits.clear();
  uint32_t node = 0;
  for (const char16_t c : text) {
    node = Step(node, c);
    for (uint32_t out = nodes_[node].output; out != 0; out = nodes_[nodes_[out].fail].output) {
      hits.push_back(out);
    }
  }
  std::sort(hits.begin(), hits.end());
  hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
  for (const uint32_t hit : hits) {
    rules->insert(rules->end(), rules_.begin() + nodes_[hit].rules_begin,
                  rules_.begin() + nodes_[hit + 1].rules_begin);
  }
}

size_t FactorIndex::memory() const {
  return nodes_.capacity() * sizeof(Node) + edges_.capacity() * sizeof(Edge) +
         rules_.capacity() * sizeof(uint32_t);
}

}  // namespace zelk
