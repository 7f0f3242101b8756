#include "urlfilter/factor_index.h"

#include <algorithm>

namespace zelk {

// The factors are sorted, so the trie is built in one pass: each factor shares with the one
// before it the nodes of their common prefix, and every node's children are created in the
// order of their characters. Edges are then grouped by parent, which keeps each node's
// children sorted for a binary search.
FactorIndex::FactorIndex(std::vector<Entry> entries) {
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.text != b.text ? a.text < b.text : a.rule < b.rule;
  });
  struct NewEdge {
    uint32_t from;
    char16_t c;
    uint32_t to;
  };
  std::vector<NewEdge> new_edges;
  std::vector<std::vector<uint32_t>> ends(1);  // per node: the rules whose factor ends there
  std::vector<uint32_t> path = {0};            // the nodes of the previous factor's prefixes
  const std::u16string* previous = nullptr;
  for (const Entry& entry : entries) {
    if (entry.text.empty()) {
      continue;
    }
    size_t common = 0;
    if (previous != nullptr) {
      const size_t limit = std::min(previous->size(), entry.text.size());
      while (common < limit && (*previous)[common] == entry.text[common]) {
        ++common;
      }
    }
    path.resize(common + 1);
    for (size_t i = common; i < entry.text.size(); ++i) {
      const uint32_t node = static_cast<uint32_t>(ends.size());
      ends.emplace_back();
      new_edges.push_back(NewEdge{path.back(), entry.text[i], node});
      path.push_back(node);
    }
    std::vector<uint32_t>& here = ends[path.back()];
    if (here.empty() || here.back() != entry.rule) {
      here.push_back(entry.rule);
    }
    previous = &entry.text;
  }
  std::stable_sort(new_edges.begin(), new_edges.end(),
                   [](const NewEdge& a, const NewEdge& b) { return a.from < b.from; });
  nodes_.resize(ends.size() + 1);
  edges_.reserve(new_edges.size());
  size_t next_edge = 0;
  for (uint32_t node = 0; node < ends.size(); ++node) {
    nodes_[node].first_edge = static_cast<uint32_t>(edges_.size());
    while (next_edge < new_edges.size() && new_edges[next_edge].from == node) {
      edges_.push_back(Edge{new_edges[next_edge].c, new_edges[next_edge].to});
      ++next_edge;
    }
    nodes_[node].rules_begin = static_cast<uint32_t>(rules_.size());
    rules_.insert(rules_.end(), ends[node].begin(), ends[node].end());
    std::vector<uint32_t>().swap(ends[node]);
  }
  nodes_.back().first_edge = static_cast<uint32_t>(edges_.size());
  nodes_.back().rules_begin = static_cast<uint32_t>(rules_.size());
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
