// The filter list compiled once, when it is read: the text of every line, every rule and
// whether it compiles, the default rule, and an index of the rules by the literal text
// their matches must contain. Everything that shows a line reads it from here. Pure code.
#ifndef ZELK_URLFILTER_COMPILED_FILTER_LIST_H_
#define ZELK_URLFILTER_COMPILED_FILTER_LIST_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_source.h"
#include "urlfilter/class_run_filter.h"
#include "urlfilter/factor_index.h"
#include "urlfilter/line_texts.h"
#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/matcher.h"
#include "urlfilter/rule_literals.h"

namespace zelk {

// One pattern rule of the list, in a few bytes: a list holds a million of them. Its
// program is built when the rule is first tried, since most rules of a long list never
// are; whether the rule compiles is known from the start, so one that does not still
// stops the walk.
struct CompiledRule {
  CompiledRule()
      : error(PatternError::kOk), allow(0), indexed(0), literal_set(0), long_literals(0) {}

  uint32_t line = 0;  // index of its line in the list
  // A rule that does not compile refuses when reached. Every error's value fits in a byte,
  // and the flags in the next: eight bytes a rule, where whole fields took twelve. The
  // flags are words as the error is: MinGW, as Microsoft's compiler does, starts a new
  // unit where the size of a field's type changes, and made a rule twelve bytes.
  PatternError error : 8;
  uint32_t allow : 1;
  uint32_t indexed : 1;  // 0: tried on every address ("always-try")
  // The pattern is only literal alternatives: it matches exactly when one of its texts
  // occurs, which the index and the rule's literals tell without running a program.
  uint32_t literal_set : 1;
  // The index holds only a window of a longer required text: the list keeps the whole
  // texts, one of which every match holds.
  uint32_t long_literals : 1;
};
static_assert(sizeof(CompiledRule) == 8, "a rule is two words on every build");

// Working room of one address check: the address folded (when it has a capital letter to
// fold), the candidate rules and the matcher's state. The list keeps one, reused by every
// check, so that a check takes no memory of its own once a few have run: the host's heap
// is slow to serve it, and a long address would otherwise take fresh pages at every check.
struct CheckRoom {
  std::u16string folded_address;
  std::vector<uint32_t> candidates;
  std::vector<uint32_t> scratch;
  MatchState state;
};

class FactorWindows;
class SharedTermFactors;
struct PatternReading;

class CompiledFilterList {
 public:
  // Sees one pattern rule as the list is compiled: the rule, the tree its pattern was read
  // into, which lives only for the call, and its program (null when it does not compile),
  // which the list keeps as long as it lives.
  using RuleObserver = std::function<
      void(const CompiledRule& rule, const PatternReading& reading, const UrlPattern* program)>;

  // Reads and compiles every line of `lines` (the filter file's lines, in order). With an
  // observer, every rule keeps the program built for it and is shown to the observer in
  // file order, so that a tool reads and compiles each pattern once for its own checks
  // and for the check.
  explicit CompiledFilterList(const std::vector<std::u16string>& lines,
                              const RuleObserver* observer = nullptr);
  // The same from lines already held as text, which the list takes over.
  explicit CompiledFilterList(LineTexts&& lines, const RuleObserver* observer = nullptr);

  size_t line_count() const { return texts_.size(); }
  // The line `index` as read from the file; empty past the last line.
  std::u16string Line(size_t index) const { return texts_.Line(index); }
  // Every line, in order.
  std::vector<std::u16string> Lines() const;
  // The text of rules()[index] folded A-Z: its pattern, and the denied word when it decides.
  std::u16string RuleText(uint32_t index) const;
  const std::vector<CompiledRule>& rules() const { return rules_; }
  // The last default rule ("+all", "-all") of the list, which gives the answer when no
  // pattern rule matches; without one, that answer is to refuse.
  bool has_default_rule() const { return has_default_; }
  bool default_allow() const { return default_allow_; }
  size_t default_line() const { return default_line_; }

  // The rules, as indices into rules(), in file order, that may match `folded_address`
  // (folded A-Z): those with a factor in it, those whose run of character sets it holds,
  // those with neither, and those that do not compile (which refuse every address that reaches
  // them). Every other rule cannot match. `scratch` is working room, reusable between calls.
  void CandidateRules(std::u16string_view folded_address,
                      std::vector<uint32_t>* candidates,
                      std::vector<uint32_t>* scratch) const;

  // False when rules()[index] cannot match `folded_address`, which lacks all of its long
  // literals.
  bool HoldsLiteral(uint32_t index, std::u16string_view folded_address) const;

  // Sets `*program` to the program of rules()[index], built from its text the first time
  // it is asked for. Returns the error the rule compiles with, or kOutOfMemory when the
  // program cannot be built now; `*program` is then an empty one, not to be matched.
  PatternError ProgramFor(uint32_t index, const UrlPattern** program) const;

  // The room of the check running now. The check runs on one thread at a time, as the
  // programs built from a const list already require.
  CheckRoom& check_room() const { return check_room_; }

  // Rules tried on every address, for the administrator's warnings.
  size_t always_tried_count() const { return always_tried_.size(); }
  // Bytes held by the rules, the programs built so far and the index, roughly.
  size_t memory() const;
  // The same part by part, named, for a benchmark to show where they go.
  struct MemoryPart {
    const char* name;
    size_t bytes;
  };
  std::vector<MemoryPart> MemoryParts() const;

 private:
  class ListTexts;
  struct RuleRoom;
  const PatternReading& ReadRule(std::u16string_view pattern,
                                 const RuleObserver* observer,
                                 RuleRoom* room,
                                 const SharedTermFactors** factors);
  void ShowRule(const RuleObserver& observer, const PatternReading& reading, UrlPattern* program);
  bool FilterByClassRun(const PatternReading& reading, const std::vector<std::u16string>& texts);
  void Index(FactorWindows& windows, ListTexts& texts);
  std::vector<uint32_t> ChooseWindows(FactorWindows& windows, const ListTexts& texts);
  bool KeepsLongLiterals(const ListTexts& texts, uint32_t number) const;
  void KeepLongLiterals(ListTexts& texts);
  void ReserveProgramRoom();
  void WarmProgramBuild();
  const UrlPattern* KeepProgram(uint32_t number, UrlPattern&& program) const;

  LineTexts texts_;
  std::vector<CompiledRule> rules_;
  RuleLiterals literals_;  // of the rules marked long_literals
  // The programs built so far, by rule. The check runs on one thread at a time, so
  // building one from a const list is safe.
  // program_of_[rule] is one past the place of its program in programs_, 0 while it has
  // none; the deque never moves a program once built.
  mutable std::deque<UrlPattern> programs_;
  mutable std::vector<uint32_t> program_of_;
  // Working room of those builds, kept so that a check does not take fresh memory for the
  // tree and program of every rule it builds.
  mutable PatternReading program_reading_;
  mutable PatternWorkspace program_workspace_;
  mutable std::u16string program_line_;  // the line of the rule being built
  mutable CheckRoom check_room_;
  std::vector<uint32_t> always_tried_;  // indices into rules_, ascending
  FactorIndex index_;
  ClassRunFilter class_runs_;  // rules whose required texts are too short to index
  bool has_default_ = false;
  bool default_allow_ = false;
  size_t default_line_ = 0;
};

// The list compiled, or null when memory ran short.
CompiledFilterListPtr CompileFilterList(const std::vector<std::u16string>& lines);
// The same, with an observer of every pattern rule (see CompiledFilterList).
CompiledFilterListPtr CompileFilterList(const std::vector<std::u16string>& lines,
                                        const CompiledFilterList::RuleObserver& observer);
// The list compiled from lines held as text (as the filter file is read), or null when
// memory ran short.
CompiledFilterListPtr CompileFilterList(LineTexts&& lines);

}  // namespace zelk

#endif  // ZELK_URLFILTER_COMPILED_FILTER_LIST_H_
