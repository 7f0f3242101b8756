#include "urlfilter/compiled_filter_list.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "urlfilter/filter_line.h"
#include "urlfilter/literal_factors.h"
#include "urlfilter/pattern/parser.h"

namespace zelk {

CompiledFilterList::CompiledFilterList(const std::vector<std::u16string>& lines)
    : line_count_(lines.size()) {
  std::vector<FactorIndex::Entry> entries;
  size_t indexed_characters = 0;
  // Nearly every line is a rule, and a rule has a factor or two: room for that up front
  // spares moving every compiled rule as the list grows.
  rules_.reserve(lines.size());
  entries.reserve(2 * lines.size());
  PatternReading reading;
  PatternWorkspace workspace;
  for (size_t i = 0; i < lines.size(); ++i) {
    const FilterLine line = ReadFilterLine(lines[i]);
    if (line.kind == FilterLineKind::kDefaultRule) {
      has_default_ = true;
      default_allow_ = line.allow;
      default_line_ = i;
    }
    if (line.kind != FilterLineKind::kPatternRule) {
      continue;
    }
    const uint32_t number = static_cast<uint32_t>(rules_.size());
    rules_.emplace_back();
    CompiledRule& rule = rules_.back();
    rule.line = static_cast<uint32_t>(i);
    rule.allow = line.allow;
    rule.error = CompilePattern(line.folded, &rule.pattern, &reading, &workspace);
    std::vector<std::u16string> factors;
    if (rule.error == PatternError::kOk) {
      factors = RequiredFactors(reading);
    }
    size_t characters = 0;
    for (const std::u16string& factor : factors) {
      characters += factor.size();
    }
    if (factors.empty() || indexed_characters + characters > kMaxIndexedCharacters) {
      always_tried_.push_back(number);
      continue;
    }
    indexed_characters += characters;
    rule.indexed = true;
    for (std::u16string& factor : factors) {
      entries.push_back(FactorIndex::Entry{std::move(factor), number});
    }
  }
  if (rules_.capacity() - rules_.size() > rules_.size() / 4) {
    rules_.shrink_to_fit();
  }
  index_ = FactorIndex(entries);
}

void CompiledFilterList::CandidateRules(std::u16string_view folded_address,
                                        std::vector<uint32_t>* candidates,
                                        std::vector<uint32_t>* scratch) const {
  candidates->clear();
  index_.FindRules(folded_address, candidates, scratch);
  candidates->insert(candidates->end(), always_tried_.begin(), always_tried_.end());
  std::sort(candidates->begin(), candidates->end());
  candidates->erase(std::unique(candidates->begin(), candidates->end()), candidates->end());
}

size_t CompiledFilterList::memory() const {
  size_t bytes = rules_.capacity() * sizeof(CompiledRule) + index_.memory() +
                 always_tried_.capacity() * sizeof(uint32_t);
  for (const CompiledRule& rule : rules_) {
    bytes += rule.pattern.instructions().capacity() * sizeof(PatternInstruction) +
             rule.pattern.memo_points().capacity() * sizeof(MemoPoint) +
             rule.pattern.memo_guards().capacity() * sizeof(uint32_t);
  }
  return bytes;
}

void CompiledFilterListDeleter::operator()(const CompiledFilterList* list) const {
  delete list;
}

CompiledFilterListPtr CompileFilterList(const std::vector<std::u16string>& lines) {
  try {
    return CompiledFilterListPtr(new CompiledFilterList(lines));
  } catch (const std::bad_alloc&) {
    return nullptr;
  } catch (const std::length_error&) {
    return nullptr;
  }
}

}  // namespace zelk
