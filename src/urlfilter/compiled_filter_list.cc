#include "urlfilter/compiled_filter_list.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "urlfilter/class_runs.h"
#include "urlfilter/factor_windows.h"
#include "urlfilter/filter_line.h"
#include "urlfilter/literal_alternatives.h"
#include "urlfilter/literal_factors.h"
#include "urlfilter/pattern/parser.h"
#include "urlfilter/rule_shapes.h"
#include "urlfilter/text_block.h"

namespace zelk {
namespace {

// A rule whose longest required text is shorter than this is a candidate for most
// addresses; a run of character sets (class_runs.h) of at least kMinRunStrength, and
// stronger than that text, tells them apart better.
constexpr size_t kWeakFactorLength = 3;
constexpr uint32_t kMinRunStrength = 6;

size_t LongestLength(const std::vector<std::u16string>& texts) {
  size_t longest = 0;
  for (const std::u16string& text : texts) {
    longest = std::max(longest, text.size());
  }
  return longest;
}

}  // namespace

// The required texts of every rule, one after another in one block, so that a list of a
// million rules holds them in three allocations rather than one or two per rule. The block
// of characters is handed on to the store of long literals when the list is indexed.
class CompiledFilterList::ListTexts {
 public:
  // Room for the texts of `rules` rules read from `text_bytes` of list text, so that the
  // blocks do not grow, copying themselves, as a long list is read. A rule's texts are parts
  // of its pattern: in lists of host names or of ad-block rules they hold under 40% of the
  // lines' characters, in one of long URLs a little more; the characters' block grows in
  // place past its room where it can (TextBlock).
  ListTexts(size_t rules, size_t text_bytes) {
    rule_begin_.reserve(rules + 1);
    text_begin_.reserve(rules + 1);
    characters_.Reserve(text_bytes / 16 * 7);
  }

  void Add(const std::vector<std::u16string>& texts) {
    rule_begin_.push_back(static_cast<uint32_t>(text_begin_.size()));
    for (const std::u16string& text : texts) {
      text_begin_.push_back(static_cast<uint32_t>(characters_.size()));
      if (characters_.size() + text.size() > std::numeric_limits<uint32_t>::max()) {
        throw std::length_error("required texts too long");
      }
      characters_.Append(text);
    }
  }
  void Close() {
    rule_begin_.push_back(static_cast<uint32_t>(text_begin_.size()));
    text_begin_.push_back(static_cast<uint32_t>(characters_.size()));
  }
  size_t TextCount(size_t rule) const { return rule_begin_[rule + 1] - rule_begin_[rule]; }
  // Texts of all rules, numbered in the order of their rules.
  size_t TextCount() const { return text_begin_.empty() ? 0 : text_begin_.size() - 1; }
  size_t FirstText(size_t rule) const { return rule_begin_[rule]; }
  std::u16string_view Text(size_t text) const {
    return characters_.view().substr(text_begin_[text], text_begin_[text + 1] - text_begin_[text]);
  }
  std::u16string_view Text(size_t rule, size_t i) const { return Text(rule_begin_[rule] + i); }
  // Hands the texts over to `literals`, to keep those of `rules` rules; only the numbers of
  // each rule's texts are left.
  void HandTo(RuleLiterals* literals, size_t rules) {
    literals->TakeTexts(std::move(characters_), std::move(text_begin_), rules);
  }

 private:
  TextBlock characters_;
  std::vector<uint32_t> text_begin_;
  std::vector<uint32_t> rule_begin_;
};

// Working room of the rules' reading, reused from rule to rule.
struct CompiledFilterList::RuleRoom {
  PatternReading reading;
  PatternWorkspace workspace;
  UrlPattern built;  // built only for an observer, which keeps it
  RuleShapes shapes;
};

// Two passes: every rule is compiled and its required texts read, then, with the windows of
// all the list's texts counted, each rule is indexed by the windows fewest others share.
CompiledFilterList::CompiledFilterList(const std::vector<std::u16string>& lines,
                                       const RuleObserver* observer)
    : CompiledFilterList(LineTexts(lines), observer) {}

CompiledFilterList::CompiledFilterList(LineTexts&& lines, const RuleObserver* observer)
    : texts_(std::move(lines)) {
  // Nearly every line is a rule: room for that up front spares moving every compiled rule
  // as the list grows.
  rules_.reserve(texts_.size());
  ListTexts texts(texts_.size(), texts_.text_bytes());
  FactorWindows windows(texts_.size());
  RuleRoom room;
  std::vector<std::u16string> rule_texts;
  std::u16string line_text;  // the line being read, its room reused from line to line
  for (size_t i = 0; i < texts_.size(); ++i) {
    texts_.LineInto(i, &line_text);
    const FilterLineView line = ViewFilterLine(line_text);
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
    const SharedTermFactors* shared = nullptr;
    const PatternReading& reading = ReadRule(line.text, observer, &room, &shared);
    rule_texts.clear();
    if (rule.error == PatternError::kOk) {
      rule.literal_set = LiteralAlternatives(reading, &rule_texts);
      if (!rule.literal_set) {
        rule_texts = shared != nullptr ? shared->Factors(reading) : RequiredFactors(reading);
      }
    }
    if (rule.error == PatternError::kOk && !rule.literal_set &&
        FilterByClassRun(reading, rule_texts)) {
      rule_texts.clear();
    }
    for (const std::u16string& text : rule_texts) {
      windows.Count(text);
    }
    texts.Add(rule_texts);
  }
  texts.Close();
  class_runs_.Finish();
  if (rules_.capacity() - rules_.size() > rules_.size() / 4) {
    rules_.shrink_to_fit();
  }
  Index(windows, texts);
  ReserveProgramRoom();
  // The check builds programs in the room the load grew, not in fresh memory.
  program_reading_ = std::move(room.reading);
  program_workspace_ = std::move(room.workspace);
  WarmProgramBuild();
}

// Room to note the program of every rule, taken now: a table grown by a check would move
// into fresh memory in the middle of that check, at a cost of tens of microseconds per page
// first touched.
void CompiledFilterList::ReserveProgramRoom() {
  program_of_.resize(rules_.size());
}

// The load reads rules without building their programs, so the first check to build one
// would be the first to run the compiler's emission and the matcher, cold, and to take their
// working room: some tens of microseconds. The load pays that once instead, building and
// running the program of its first rule that has one, which the rule then keeps. The run
// is on a text of one character, held to a few steps, so a hostile rule costs nothing here.
void CompiledFilterList::WarmProgramBuild() {
  constexpr uint64_t kWarmingSteps = 1000;
  for (uint32_t index = 0; index < rules_.size(); ++index) {
    if (rules_[index].error == PatternError::kOk && !rules_[index].literal_set) {
      const UrlPattern* program = nullptr;
      if (ProgramFor(index, &program) == PatternError::kOk) {
        MatchFoldedInput(*program, u"/", &check_room_.state, kWarmingSteps);
      }
      return;
    }
  }
}

// Keeps `program` as that of rule `number` and returns where it lies.
const UrlPattern* CompiledFilterList::KeepProgram(uint32_t number, UrlPattern&& program) const {
  if (number >= program_of_.size()) {
    program_of_.resize(number + 1);  // only while the list is read, before all rules are in
  }
  programs_.push_back(std::move(program));
  program_of_[number] = static_cast<uint32_t>(programs_.size());
  return &programs_.back();
}

// Sets the error of the last rule, whose pattern is `pattern` as written, and returns the
// tree it reads into. Only an observer keeps programs; otherwise the error is learnt
// without building one, and a rule of a shape seen before is not read again: `*factors`
// is then set to its shape's kept reading of factors, if it has one.
const PatternReading& CompiledFilterList::ReadRule(std::u16string_view pattern,
                                                   const RuleObserver* observer,
                                                   RuleRoom* room,
                                                   const SharedTermFactors** factors) {
  CompiledRule& rule = rules_.back();
  if (observer != nullptr) {
    rule.error = CompilePattern(pattern, &room->built, &room->reading, &room->workspace);
    ShowRule(*observer, room->reading, &room->built);
    return room->reading;
  }
  const PatternReading* shaped = room->shapes.Read(pattern, &room->workspace, factors);
  if (shaped != nullptr) {
    rule.error = PatternError::kOk;
    return *shaped;
  }
  rule.error = CheckPattern(pattern, &room->reading, &room->workspace);
  return room->reading;
}

// Shows the last rule read to the observer, with the program just built for it kept, so
// that neither the observer nor the check builds it again.
void CompiledFilterList::ShowRule(const RuleObserver& observer,
                                  const PatternReading& reading,
                                  UrlPattern* program) {
  const uint32_t number = static_cast<uint32_t>(rules_.size() - 1);
  const UrlPattern* kept = nullptr;
  if (rules_.back().error == PatternError::kOk) {
    kept = KeepProgram(number, std::move(*program));
  }
  observer(rules_.back(), reading, kept);
}

// Looks the last rule read up by its run of character sets, when its required texts are too
// short to tell addresses apart and the run does better.
bool CompiledFilterList::FilterByClassRun(const PatternReading& reading,
                                          const std::vector<std::u16string>& texts) {
  const size_t longest = LongestLength(texts);
  if (longest >= kWeakFactorLength) {
    return false;
  }
  const ClassRun run = RequiredClassRun(reading);
  const uint32_t number = static_cast<uint32_t>(rules_.size() - 1);
  if (run.strength < kMinRunStrength || run.strength <= 3 * longest ||
      !class_runs_.Add(run, number)) {
    return false;
  }
  rules_.back().indexed = true;
  return true;
}

// Every rule with a factor is indexed, however long the list: the windows are parts of the
// rules' text, so the index grows with the text and never beyond it. Only where each text's
// window begins is kept between choosing and indexing: four bytes a text, where the
// index's entries would take twenty-four.
void CompiledFilterList::Index(FactorWindows& windows, ListTexts& texts) {
  const std::vector<uint32_t> window_begin = ChooseWindows(windows, texts);
  index_ = FactorIndex(window_begin.size(), [&](const FactorIndex::EntrySink& take) {
    for (uint32_t number = 0; number < rules_.size(); ++number) {
      const size_t first = texts.FirstText(number);
      for (size_t t = first; t < first + texts.TextCount(number); ++t) {
        take(FactorIndex::Entry{PackWindow(texts.Text(t).substr(window_begin[t])), number});
      }
    }
  });
  KeepLongLiterals(texts);
}

// Marks the rules that have a text indexed, lists those tried on every address, and returns
// where each text's window begins in it. The texts' windows are chosen in order, each text
// announced FactorWindows::kAhead texts before, so that the counts it looks up are on their
// way from memory by then.
std::vector<uint32_t> CompiledFilterList::ChooseWindows(FactorWindows& windows,
                                                        const ListTexts& texts) {
  windows.Finish();
  const size_t text_count = texts.TextCount();
  for (size_t t = 0; t < std::min(text_count, FactorWindows::kAhead); ++t) {
    windows.Announce(texts.Text(t));
  }
  std::vector<uint32_t> window_begin(text_count);
  for (uint32_t number = 0; number < rules_.size(); ++number) {
    const size_t first = texts.FirstText(number);
    const size_t count = texts.TextCount(number);
    if (count == 0 && !rules_[number].indexed) {
      always_tried_.push_back(number);
    }
    rules_[number].indexed = rules_[number].indexed || count != 0;
    for (size_t t = first; t < first + count; ++t) {
      const std::u16string_view text = texts.Text(t);
      window_begin[t] = static_cast<uint32_t>(windows.Choose(text).data() - text.data());
      if (t + FactorWindows::kAhead < text_count) {
        windows.Announce(texts.Text(t + FactorWindows::kAhead));
      }
    }
  }
  return window_begin;
}

// True when rules()[number], whose texts `texts` holds, keeps its whole texts: where the
// index holds only a part of one of them and checking them spares running its program. A
// rule of literal alternatives always does, since an address that holds one of them is
// matched without its program.
bool CompiledFilterList::KeepsLongLiterals(const ListTexts& texts, uint32_t number) const {
  size_t longest = 0;
  for (size_t i = 0; i < texts.TextCount(number); ++i) {
    longest = std::max(longest, texts.Text(number, i).size());
  }
  return longest > (rules_[number].literal_set ? kIndexWindowLength : kMaxFactorLength);
}

// Marks the rules that keep their whole texts long_literals, and hands the block of texts
// over to keep theirs in place: most rules of a list of sites keep theirs, so a copy would
// be of nearly the whole block, in fresh memory.
void CompiledFilterList::KeepLongLiterals(ListTexts& texts) {
  size_t kept = 0;
  for (uint32_t number = 0; number < rules_.size(); ++number) {
    rules_[number].long_literals = KeepsLongLiterals(texts, number);
    kept += rules_[number].long_literals ? 1 : 0;
  }
  if (kept == 0) {
    return;
  }
  texts.HandTo(&literals_, kept);
  for (uint32_t number = 0; number < rules_.size(); ++number) {
    if (rules_[number].long_literals) {
      literals_.KeepTexts(number, texts.FirstText(number), texts.TextCount(number));
    }
  }
  literals_.Finish();
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
  scratch->clear();
  index_.FindRules(folded_address, scratch);
  class_runs_.FindRules(folded_address, scratch);
  std::sort(scratch->begin(), scratch->end());
  scratch->erase(std::unique(scratch->begin(), scratch->end()), scratch->end());
  candidates->clear();
  if (always_tried_.empty()) {
    candidates->swap(*scratch);  // nothing to merge in: spares copying
    return;
  }
  std::set_union(scratch->begin(), scratch->end(), always_tried_.begin(), always_tried_.end(),
                 std::back_inserter(*candidates));
}

PatternError CompiledFilterList::ProgramFor(uint32_t index, const UrlPattern** program) const {
  static const UrlPattern kNoProgram;
  *program = &kNoProgram;
  const CompiledRule& rule = rules_[index];
  if (rule.error != PatternError::kOk) {
    return rule.error;
  }
  if (index < program_of_.size() && program_of_[index] != 0) {
    *program = &programs_[program_of_[index] - 1];
    return PatternError::kOk;
  }
  // The line is read into room kept from build to build; the compiler folds the rule text.
  texts_.LineInto(rules_[index].line, &program_line_);
  UrlPattern compiled;
  if (CompilePattern(ViewFilterLine(program_line_).text, &compiled, &program_reading_,
                     &program_workspace_) != PatternError::kOk) {
    return PatternError::kOutOfMemory;  // it compiled when the list was read
  }
  *program = KeepProgram(index, std::move(compiled));
  return PatternError::kOk;
}

size_t CompiledFilterList::memory() const {
  size_t bytes = 0;
  for (const MemoryPart& part : MemoryParts()) {
    bytes += part.bytes;
  }
  return bytes;
}

std::vector<CompiledFilterList::MemoryPart> CompiledFilterList::MemoryParts() const {
  size_t programs = program_of_.capacity() * sizeof(uint32_t);
  for (const UrlPattern& pattern : programs_) {
    programs += sizeof(pattern) + pattern.instructions().capacity() * sizeof(PatternInstruction) +
                pattern.memo_points().capacity() * sizeof(MemoPoint) +
                pattern.memo_guards().capacity() * sizeof(uint32_t);
  }
  return {{"lines", texts_.memory()},
          {"rules", rules_.capacity() * sizeof(CompiledRule)},
          {"index",
           index_.memory() + class_runs_.memory() + always_tried_.capacity() * sizeof(uint32_t)},
          {"literals", literals_.memory()},
          {"programs", programs}};
}

void CompiledFilterListDeleter::operator()(const CompiledFilterList* list) const {
  delete list;
}

namespace {

template <typename Lines>
CompiledFilterListPtr CompileOrNull(Lines&& lines,
                                    const CompiledFilterList::RuleObserver* observer) {
  try {
    return CompiledFilterListPtr(new CompiledFilterList(std::forward<Lines>(lines), observer));
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

CompiledFilterListPtr CompileFilterList(LineTexts&& lines) {
  return CompileOrNull(std::move(lines), nullptr);
}

}  // namespace zelk
