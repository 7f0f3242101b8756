// The filter list compiled once, when it is read: every rule's program, the default rule,
// and an index of the rules by the literal text their matches must contain. Pure code.
#ifndef ZELK_URLFILTER_COMPILED_FILTER_LIST_H_
#define ZELK_URLFILTER_COMPILED_FILTER_LIST_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_source.h"
#include "urlfilter/factor_index.h"
#include "urlfilter/pattern/compiler.h"

namespace zelk {

// One pattern rule of the list. Its program is built when the rule is first tried, since
// most rules of a long list never are, and a program costs some hundred bytes; whether
// the rule compiles is known from the start, so one that does not still stops the walk.
struct CompiledRule {
  uint32_t line = 0;  // index of its line in the list
  bool allow = false;
  PatternError error = PatternError::kOk;  // a rule that does not compile refuses when reached
  bool indexed = false;                    // false: tried on every address ("always-try")
  // Built by CompiledFilterList::Program. The check runs on one thread at a time, so
  // building it from a const list is safe.
  mutable std::unique_ptr<UrlPattern> program;
  // Where the index holds only a window of a longer required text: the whole texts, one
  // of which every match holds. Empty otherwise.
  std::vector<std::u16string> literals;
  // The pattern is only literal alternatives: it matches exactly when one of its texts
  // occurs, which the index and `literals` tell without running a program.
  bool literal_set = false;

  // False when the rule cannot match `folded_address`, which lacks all of its literals.
  bool HoldsLiteral(std::u16string_view folded_address) const;
};

class FactorWindows;
struct PatternReading;

class CompiledFilterList {
 public:
  // Sees one pattern rule as the list is compiled: the rule, holding its program when it
  // compiles, and the tree its pattern was read into, which lives only for the call.
  using RuleObserver = std::function<void(const CompiledRule& rule, const PatternReading& reading)>;

  // Reads and compiles every line of `lines` (the filter file's lines, in order). With an
  // observer, every rule keeps the program built for it and is shown to the observer in
  // file order, so that a tool reads and compiles each pattern once for its own checks
  // and for the check.
  explicit CompiledFilterList(const std::vector<std::u16string>& lines,
                              const RuleObserver* observer = nullptr);

  size_t line_count() const { return line_count_; }
  const std::vector<CompiledRule>& rules() const { return rules_; }
  // The last default rule ("+all", "-all") of the list, which gives the answer when no
  // pattern rule matches; without one, that answer is to refuse.
  bool has_default_rule() const { return has_default_; }
  bool default_allow() const { return default_allow_; }
  size_t default_line() const { return default_line_; }

  // The rules, as indices into rules(), in file order, that may match `folded_address`
  // (folded A-Z): those with a factor in it, those with no factor, and those that do not
  // compile (which refuse every address that reaches them). Every other rule cannot match.
  // `scratch` is working room, reusable between calls.
  void CandidateRules(std::u16string_view folded_address,
                      std::vector<uint32_t>* candidates,
                      std::vector<uint32_t>* scratch) const;

  // The program of rules()[index], built from `folded_text` (its rule text, folded) the
  // first time it is asked for; null when that fails (memory ran short).
  const UrlPattern* Program(uint32_t index, std::u16string_view folded_text) const;

  // Rules tried on every address, for the administrator's warnings.
  size_t always_tried_count() const { return always_tried_.size(); }
  // Bytes held by the rules, the programs built so far and the index, roughly.
  size_t memory() const;

 private:
  void Index(const FactorWindows& windows, std::vector<std::vector<std::u16string>>* texts);

  size_t line_count_ = 0;
  std::vector<CompiledRule> rules_;
  std::vector<uint32_t> always_tried_;  // indices into rules_, ascending
  FactorIndex index_;
  bool has_default_ = false;
  bool default_allow_ = false;
  size_t default_line_ = 0;
};

// The list compiled, or null when memory ran short (the check then compiles each rule as
// it reaches it).
CompiledFilterListPtr CompileFilterList(const std::vector<std::u16string>& lines);
// The same, with an observer of every pattern rule (see CompiledFilterList).
CompiledFilterListPtr CompileFilterList(const std::vector<std::u16string>& lines,
                                        const CompiledFilterList::RuleObserver& observer);

}  // namespace zelk

#endif  // ZELK_URLFILTER_COMPILED_FILTER_LIST_H_
