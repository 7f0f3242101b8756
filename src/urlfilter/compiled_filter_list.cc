#include "urlfilter/compiled_filter_list.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "urlfilter/factor_windows.h"
#include "urlfilter/filter_line.h"
#include "urlfilter/literal_factors.h"
#include "urlfilter/pattern/parser.h"

namespace zelk {
namespace {

size_t LongestLength(const std::vector<std::u16string>& texts) {
  size_t longest = 0;
  for (const std::u16string& text : texts) {
    longest = std::max(longest, text.size());
  }
  return longest;
}

}  // namespace

// Two passes: every rule is compiled and its required texts read, then, with the windows of
// all the list's texts counted, each rule is indexed by the windows fewest others share.
CompiledFilterList::CompiledFilterList(const std::vector<std::u16string>& lines) : texts_(lines) {
  // Nearly every line is a rule: room for that up front spares moving every compiled rule
  // as the list grows.
  rules_.reserve(lines.size());
  std::vector<std::vector<std::u16string>> texts;
  texts.reserve(lines.size());
  FactorWindows windows;
  PatternReading reading;
  PatternWorkspace workspace;
  UrlPattern discarded;  // only whether the rule compiles is kept
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
    rules_.emplace_back();
    CompiledRule& rule = rules_.back();
    rule.line = static_cast<uint32_t>(i);
    rule.allow = line.allow;
    rule.error = CompilePattern(line.folded, &discarded, &reading, &workspace);
    texts.emplace_back();
    if (rule.error == PatternError::kOk) {
      rule.literal_set = LiteralAlternatives(reading, &texts.back());
      if (!rule.literal_set) {
        texts.back() = RequiredFactors(reading);
      }
    }
    windows.Count(texts.back());
  }
  if (rules_.capacity() - rules_.size() > rules_.size() / 4) {
    rules_.shrink_to_fit();
  }
  windows.Finish();
  Index(windows, &texts);
}

// Every rule with a factor is indexed, however long the list: the windows are parts of the
// rules' text, so the index grows with the text and never beyond it. A rule is kept its
// whole texts where the index holds only a part of one.
void CompiledFilterList::Index(const FactorWindows& windows,
                               std::vector<std::vector<std::u16string>>* texts) {
  std::vector<FactorIndex::Entry> entries;
  entries.reserve(rules_.size() + rules_.size() / 4);
  for (uint32_t number = 0; number < rules_.size(); ++number) {
    std::vector<std::u16string>& rule_texts = (*texts)[number];
    if (rule_texts.empty()) {
      always_tried_.push_back(number);
      continue;
    }
    CompiledRule& rule = rules_[number];
    rule.indexed = true;
    for (std::u16string& window : windows.Choose(rule_texts)) {
      entries.push_back(FactorIndex::Entry{std::move(window), number});
    }
    if (LongestLength(rule_texts) > kMaxFactorLength) {
      rule.long_literals = true;
      literals_.Add(number, std::move(rule_texts));
    }
    std::vector<std::u16string>().swap(rule_texts);
  }
  literals_.Finish();
  index_ = FactorIndex(entries);
}

std::vector<std::u16string> CompiledFilterList::Lines() const {
  std::vector<std::u16string> lines;
  lines.reserve(texts_.size());
  for (size_t i = 0; i < texts_.size(); ++i) {
    lines.push_back(texts_.Line(i));
  }
  return lines;
}

std::u16string CompiledFilterList::RuleText(uint32_t index) const {
  return index < rules_.size() ? ReadFilterLine(texts_.Line(rules_[index].line)).folded
                               : std::u16string();
}

bool CompiledFilterList::HoldsLiteral(uint32_t index, std::u16string_view folded_address) const {
  return !rules_[index].long_literals || literals_.AnyIn(index, folded_address);
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

PatternError CompiledFilterList::ProgramFor(uint32_t index, const UrlPattern** program) const {
  static const UrlPattern kNoProgram;
  *program = &kNoProgram;
  const CompiledRule& rule = rules_[index];
  if (rule.error != PatternError::kOk) {
    return rule.error;
  }
  const auto built = programs_.find(index);
  if (built != programs_.end()) {
    *program = &built->second;
    return PatternError::kOk;
  }
  UrlPattern compiled;
  if (CompilePattern(RuleText(index), &compiled) != PatternError::kOk) {
    return PatternError::kOutOfMemory;  // it compiled when the list was read
  }
  *program = &programs_.emplace(index, std::move(compiled)).first->second;
  return PatternError::kOk;
}

size_t CompiledFilterList::memory() const {
  size_t bytes = texts_.memory() + rules_.capacity() * sizeof(CompiledRule) + index_.memory() +
                 literals_.memory() + always_tried_.capacity() * sizeof(uint32_t);
  for (const auto& [rule, pattern] : programs_) {
    bytes += sizeof(rule) + sizeof(pattern) +
             pattern.instructions().capacity() * sizeof(PatternInstruction) +
             pattern.memo_points().capacity() * sizeof(MemoPoint) +
             pattern.memo_guards().capacity() * sizeof(uint32_t);
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
