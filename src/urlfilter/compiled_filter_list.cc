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

// Shows the rule to the observer, if any, with the program just built for it kept, so
// that neither the observer nor the check builds it again.
void ShowRule(const CompiledFilterList::RuleObserver* observer,
              const PatternReading& reading,
              UrlPattern* program,
              CompiledRule* rule) {
  if (observer == nullptr) {
    return;
  }
  if (rule->error == PatternError::kOk) {
    rule->program = std::make_unique<UrlPattern>(std::move(*program));
  }
  (*observer)(*rule, reading);
}

}  // namespace

// Two passes: every rule is compiled and its required texts read, then, with the windows of
// all the list's texts counted, each rule is indexed by the windows fewest others share.
CompiledFilterList::CompiledFilterList(const std::vector<std::u16string>& lines,
                                       const RuleObserver* observer)
    : line_count_(lines.size()) {
  // Nearly every line is a rule: room for that up front spares moving every compiled rule
  // as the list grows.
  rules_.reserve(lines.size());
  std::vector<std::vector<std::u16string>> texts;
  texts.reserve(lines.size());
  FactorWindows windows;
  PatternReading reading;
  PatternWorkspace workspace;
  UrlPattern built;  // without an observer, only whether the rule compiles is kept
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
    rule.error = CompilePattern(line.folded, &built, &reading, &workspace);
    ShowRule(observer, reading, &built, &rule);
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
      rule.literals = std::move(rule_texts);
    }
    std::vector<std::u16string>().swap(rule_texts);
  }
  index_ = FactorIndex(entries);
}

bool CompiledRule::HoldsLiteral(std::u16string_view folded_address) const {
  if (literals.empty()) {
    return true;
  }
  for (const std::u16string& literal : literals) {
    if (folded_address.find(literal) != std::u16string_view::npos) {
      return true;
    }
  }
  return false;
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

const UrlPattern* CompiledFilterList::Program(uint32_t index,
                                              std::u16string_view folded_text) const {
  const CompiledRule& rule = rules_[index];
  if (rule.program == nullptr) {
    auto program = std::make_unique<UrlPattern>();
    if (CompilePattern(folded_text, program.get()) != PatternError::kOk) {
      return nullptr;
    }
    rule.program = std::move(program);
  }
  return rule.program.get();
}

size_t CompiledFilterList::memory() const {
  size_t bytes = rules_.capacity() * sizeof(CompiledRule) + index_.memory() +
                 always_tried_.capacity() * sizeof(uint32_t);
  for (const CompiledRule& rule : rules_) {
    for (const std::u16string& literal : rule.literals) {
      bytes += sizeof(literal) + literal.capacity() * sizeof(char16_t);
    }
    bytes += rule.literals.capacity() * sizeof(std::u16string);
    if (rule.program != nullptr) {
      const UrlPattern& pattern = *rule.program;
      bytes += sizeof(pattern) + pattern.instructions().capacity() * sizeof(PatternInstruction) +
               pattern.memo_points().capacity() * sizeof(MemoPoint) +
               pattern.memo_guards().capacity() * sizeof(uint32_t);
    }
  }
  return bytes;
}

void CompiledFilterListDeleter::operator()(const CompiledFilterList* list) const {
  delete list;
}

namespace {

CompiledFilterListPtr CompileOrNull(const std::vector<std::u16string>& lines,
                                    const CompiledFilterList::RuleObserver* observer) {
  try {
    return CompiledFilterListPtr(new CompiledFilterList(lines, observer));
  } catch (const std::bad_alloc&) {
    return nullptr;
  } catch (const std::length_error&) {
    return nullptr;
  }
}

}  // namespace

CompiledFilterListPtr CompileFilterList(const std::vector<std::u16string>& lines) {
  return CompileOrNull(lines, nullptr);
}

CompiledFilterListPtr CompileFilterList(const std::vector<std::u16string>& lines,
                                        const CompiledFilterList::RuleObserver& observer) {
  return CompileOrNull(lines, &observer);
}

}  // namespace zelk
