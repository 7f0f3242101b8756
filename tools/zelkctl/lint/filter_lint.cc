#include "tools/zelkctl/lint/filter_lint.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "common/text.h"
#include "tools/zelkctl/lint/host_rule_advice.h"
#include "tools/zelkctl/lint/pattern_analysis.h"
#include "tools/zelkctl/lint/pattern_shapes.h"
#include "tools/zelkctl/lint/rule_coverage.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_line.h"
#include "urlfilter/line_texts.h"
#include "urlfilter/pattern/matcher.h"
#include "urlfilter/pattern/parser.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

// Beyond this many pattern rules, a rule that must be tried on every address is worth a
// warning: it is what a long list spends its time on.
constexpr size_t kManyRules = 1000;

bool IsAsciiLetterOrDigit(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

std::string Quoted(std::u16string_view text) {
  return "'" + DisplayText(text) + "'";
}

std::string LineNumber(size_t index) {
  return "line " + std::to_string(index + 1);
}

const char* CheckName(PatternIssue issue) {
  switch (issue) {
    case PatternIssue::kIgnoredText:
      return "ignored-text";
    case PatternIssue::kRunawayRepeat:
    case PatternIssue::kAmbiguousAlternation:
      return "runaway";
    case PatternIssue::kSingleTermAlternation:
      return "single-term-alternation";
    case PatternIssue::kLiteralOperator:
    case PatternIssue::kLiteralDollar:
    case PatternIssue::kLiteralCaret:
      return "literal-operator";
  }
  return "pattern";
}

// A filter line read as the check reads it, with the column of its mark.
struct LineParts {
  FilterLineKind kind = FilterLineKind::kBlank;
  size_t mark_column = 0;  // from 1; the rule text starts one column later
  char16_t mark = 0;
  std::u16string text;
  std::u16string trimmed;  // the whole line without the white space at its ends
};

LineParts SplitLine(std::u16string_view line) {
  const FilterLine read = ReadFilterLine(line);
  LineParts parts;
  parts.kind = read.kind;
  parts.mark = read.mark;
  parts.text = read.text;
  parts.mark_column = read.mark_index + 1;
  if (read.mark != 0) {
    parts.trimmed = read.mark + read.text;
  }
  return parts;
}

// "line 7 (-casino)", of the line `text` at `index`.
std::string RuleOfLine(std::u16string_view text, size_t index) {
  return LineNumber(index) + " (" + DisplayText(SplitLine(text).trimmed) + ")";
}

struct Expectation {
  size_t line;
  bool allow;
  std::u16string url;
};

class FilterLinter {
 public:
  // The lines as given, or (with `lines` null) as held in `texts`, which the compiled list
  // takes over so that the lint does not hold the file twice.
  FilterLinter(const std::vector<std::u16string>* lines, LineTexts* texts)
      : lines_(lines),
        texts_(texts),
        coverage_([this](size_t line) { return AnalyseLine(line); }) {}
  LintReport Run();

 private:
  void Add(size_t line, size_t column, Severity severity, const char* check, std::string message) {
    report_.findings.push_back(LintFinding{line + 1, column, severity, check, std::move(message)});
  }
  PatternAnalysis AnalyseLine(size_t index) const {
    return AnalysePattern(SplitLine(Line(index)).text);
  }
  bool CheckByteOrderMark();
  void LintLine(size_t index);
  void LintComment(size_t index, const LineParts& parts);
  void LintMark(size_t index, const LineParts& parts);
  void LintLeadingBlank(size_t index, const LineParts& parts);
  void LintPattern(size_t index, const LineParts& parts);
  void LintCover(size_t index,
                 const LineParts& parts,
                 const PatternAnalysis& analysis,
                 const std::vector<PatternInstruction>& program);
  void LintAllowRule(size_t index,
                     size_t column,
                     const LineParts& parts,
                     const PatternAnalysis& analysis);
  void LintDefaultRules();
  void LintUnindexedRules();
  void RunExpectations();
  std::string RuleName(size_t index) const { return RuleOfLine(Line(index), index); }
  std::u16string Line(size_t index) const {
    return lines_ != nullptr ? (*lines_)[index] : compiled_->Line(index);
  }
  size_t LineCount() const {
    return lines_ != nullptr ? lines_->size() : compiled_ != nullptr ? compiled_->line_count() : 0;
  }

  const std::vector<std::u16string>* lines_;
  LineTexts* texts_;
  // The list as the check compiles it, for its expectations and its index. It builds the
  // program of a rule only when an expectation tries it; each rule is analysed on its own,
  // line by line, and not kept, so the linter holds little more than the check does.
  CompiledFilterListPtr compiled_;
  LintReport report_;
  bool byte_order_mark_ = false;
  RuleCoverage coverage_;
  // Deny rules of one shape (every host rule of an imported list) are read and compiled
  // once: the others' programs are derived from it.
  PatternShapes shapes_;
  PatternShapes::Derived derived_;  // its room reused from rule to rule
  PatternAnalyser analyser_;        // the same for the rules analysed in full
  MatchState probes_;               // where the allow rules' probe addresses are matched
  std::vector<size_t> default_rules_;
  std::vector<Expectation> expectations_;
};

LintReport FilterLinter::Run() {
  compiled_ =
      lines_ != nullptr ? CompileFilterList(*lines_) : CompileFilterList(std::move(*texts_));
  if (compiled_ == nullptr) {
    Add(0, 1, Severity::kError, "memory",
        "the list does not fit in memory once compiled: the library would not load it either");
  }
  byte_order_mark_ = CheckByteOrderMark();
  for (size_t i = 0; i < LineCount(); ++i) {
    LintLine(i);
  }
  LintDefaultRules();
  LintUnindexedRules();
  RunExpectations();
  std::stable_sort(report_.findings.begin(), report_.findings.end(),
                   [](const LintFinding& a, const LintFinding& b) {
                     return a.line != b.line ? a.line < b.line : a.column < b.column;
                   });
  return std::move(report_);
}

// The reader takes no byte-order mark for one: its bytes become the first characters of
// the first line, and so its mark.
bool FilterLinter::CheckByteOrderMark() {
  if (LineCount() == 0) {
    return false;
  }
  const std::u16string first_line = Line(0);
  const std::u16string_view first = first_line;
  const bool utf8 = first.substr(0, 3) == u"\u00ef\u00bb\u00bf";
  const bool utf16 = first.substr(0, 2) == u"\u00ff\u00fe" || first.substr(0, 2) == u"\u00fe\u00ff";
  if (!utf8 && !utf16) {
    return false;
  }
  const LineParts parts = SplitLine(first);
  std::string becomes = "that line is a deny rule for the pattern " + Quoted(parts.text);
  if (parts.kind == FilterLineKind::kDefaultRule) {
    becomes = "that line is the deny default rule";
  }
  Add(0, 1, Severity::kWarning, "byte-order-mark",
      utf16 ? "the file starts with a UTF-16 byte-order mark: filter files are read as 8-bit "
              "text, one character per byte; save it as plain 8-bit text"
            : "the file starts with a UTF-8 byte-order mark, which the library does not "
              "recognise: it becomes part of the first line, so " +
                  becomes + "; save the file without a byte-order mark");
  return true;
}

void FilterLinter::LintLine(size_t index) {
  const LineParts parts = SplitLine(Line(index));
  if (parts.mark == 0) {
    return;
  }
  if (parts.kind == FilterLineKind::kComment) {
    return LintComment(index, parts);
  }
  if (!(index == 0 && byte_order_mark_) && !parts.text.empty()) {
    LintMark(index, parts);
  }
  if (parts.text.empty()) {
    Add(index, parts.mark_column, Severity::kWarning, "mark-only",
        "a mark with no rule after it: this line is ignored");
    return;
  }
  if (parts.kind == FilterLineKind::kDefaultRule) {
    default_rules_.push_back(index);
    return;
  }
  LintLeadingBlank(index, parts);
  LintPattern(index, parts);
}

// ";expect allow URL" and ";expect deny URL" are the file's tests; other comments are free.
void FilterLinter::LintComment(size_t index, const LineParts& parts) {
  std::u16string_view text = parts.text;
  while (!text.empty() && IsFilterSpace(text.front())) {
    text.remove_prefix(1);
  }
  constexpr std::u16string_view kExpect = u"expect";
  if (FoldAscii(text.substr(0, kExpect.size())) != kExpect ||
      (text.size() > kExpect.size() && !IsFilterSpace(text[kExpect.size()]))) {
    return;
  }
  text.remove_prefix(kExpect.size());
  while (!text.empty() && IsFilterSpace(text.front())) {
    text.remove_prefix(1);
  }
  size_t verb_end = 0;
  while (verb_end < text.size() && !IsFilterSpace(text[verb_end])) {
    ++verb_end;
  }
  const std::u16string verb = FoldAscii(text.substr(0, verb_end));
  std::u16string_view url = text.substr(verb_end);
  while (!url.empty() && IsFilterSpace(url.front())) {
    url.remove_prefix(1);
  }
  if ((verb != u"allow" && verb != u"deny") || url.empty()) {
    Add(index, parts.mark_column, Severity::kError, "expect",
        "an expectation reads \";expect allow URL\" or \";expect deny URL\"");
    return;
  }
  expectations_.push_back(Expectation{index, verb == u"allow", std::u16string(url)});
}

// Every mark but "+" denies, so a line that starts with its pattern loses the pattern's
// first character to the mark.
void FilterLinter::LintMark(size_t index, const LineParts& parts) {
  const char16_t mark = parts.mark;
  if (mark == kAllowMark || mark == kDenyMark) {
    return;
  }
  const bool is_default = parts.kind == FilterLineKind::kDefaultRule;
  const std::string becomes =
      is_default ? "this line is the deny default rule"
                 : "this line is a deny rule for the pattern " + Quoted(parts.text);
  const std::string shown = Quoted(std::u16string(1, mark));
  std::string message;
  if (FoldAscii(parts.trimmed) == u"all") {
    message =
        "'all' without a mark is not a default rule: its 'a' is taken as a deny mark, "
        "so " +
        becomes + "; write +all or -all";
  } else if (IsAsciiLetterOrDigit(mark) ||
             std::u16string_view(u"\\.^([{").find(mark) != std::u16string_view::npos) {
    message = "the first character " + shown +
              " is taken as a deny mark, not as part of the "
              "pattern: " +
              becomes + "; write -" + DisplayText(parts.trimmed) + " or +" +
              DisplayText(parts.trimmed);
  } else if (mark == u'#' || (mark == u'/' && !parts.text.empty() && parts.text[0] == u'/')) {
    message = shown + " does not start a comment (only ';' does): " + becomes;
  } else {
    message = shown +
              " acts as a deny mark (every mark but '+' denies; '-' is the usual "
              "one): " +
              becomes;
  }
  Add(index, parts.mark_column, Severity::kWarning, "mark", message);
}

// A pattern rule whose text starts with white space: the blank is part of the pattern.
void FilterLinter::LintLeadingBlank(size_t index, const LineParts& parts) {
  if (!IsFilterSpace(parts.text[0]) || (parts.mark != kAllowMark && parts.mark != kDenyMark)) {
    return;  // an odd mark has had its own warning
  }
  const size_t column = parts.mark_column + 1;
  size_t start = 0;
  while (start < parts.text.size() && IsFilterSpace(parts.text[start])) {
    ++start;
  }
  const std::u16string bare = parts.text.substr(start);
  const std::string mark = DisplayText(std::u16string(1, parts.mark));
  if (FoldAscii(bare) == u"all") {
    Add(index, column, Severity::kWarning, "spaced-default",
        "'" + DisplayText(parts.trimmed) + "' is a pattern rule for " + Quoted(parts.text) +
            ", not a default rule: the text after the mark is not trimmed; write " + mark +
            DisplayText(bare));
  } else {
    Add(index, column, Severity::kWarning, "leading-blank",
        "the pattern starts with white space, which is part of it: " + Quoted(parts.text) +
            " matches only after that blank; write " + mark + DisplayText(bare));
  }
}

// A rule of a shape learnt before compiles, has nothing to note and is no plain text, as
// the rule learnt. A deny rule of one needs only what covers it, found from its derived
// program; an allow rule is still compiled, for the addresses its advice tries.
void FilterLinter::LintPattern(size_t index, const LineParts& parts) {
  bool worth_learning = false;
  const bool known_shape = shapes_.Derive(parts.text, &derived_, &worth_learning);
  if (known_shape && parts.mark != kAllowMark) {
    PatternAnalysis analysis;
    analysis.anchored = derived_.anchored;
    LintCover(index, parts, analysis, derived_.program);
    return;
  }
  const size_t text_column = parts.mark_column + 1;
  const PatternAnalysis analysis = analyser_.Analyse(parts.text, !known_shape);
  if (worth_learning) {
    shapes_.Learn(parts.text, analysis);
  }
  if (analysis.error != PatternError::kOk) {
    Add(index, text_column + analysis.stop, Severity::kError, "compile-error",
        std::string("the pattern does not compile (") + PatternErrorName(analysis.error) +
            "): every address that reaches this line is refused, and no later rule is "
            "looked at");
    return;
  }
  const bool bom_line = index == 0 && byte_order_mark_;
  if (!bom_line) {
    for (const PatternNote& note : analysis.notes) {
      Add(index, text_column + note.position, Severity::kWarning, CheckName(note.issue),
          note.message);
    }
  }
  LintCover(index, parts, analysis, analysis.program->instructions());
  if (parts.mark == kAllowMark && !bom_line) {
    LintAllowRule(index, text_column, parts, analysis);
  }
}

// An earlier rule that decides every address this one matches, or a pattern that matches
// every address. The rule is then remembered for the lines after it.
void FilterLinter::LintCover(size_t index,
                             const LineParts& parts,
                             const PatternAnalysis& analysis,
                             const std::vector<PatternInstruction>& program) {
  size_t cover = 0;
  std::string why;
  if (coverage_.CoverThenRemember(analysis, program, index, &cover, &why)) {
    const PatternAnalysis earlier = AnalyseLine(cover);
    Add(index, parts.mark_column, Severity::kWarning, "never-decides",
        "this rule never decides: " + RuleName(cover) +
            (earlier.effective != SplitLine(Line(cover)).text
                 ? ", which compiles as " + Quoted(earlier.effective) + ","
                 : "") +
            why);
  } else if (analysis.matches_everything) {
    Add(index, parts.mark_column + 1, Severity::kWarning, "matches-everything",
        "the pattern " + Quoted(parts.text) +
            " matches every address (it matches the empty text before the first character), "
            "so this line decides every address that reaches it; if that is meant, +all or "
            "-all says it plainly");
  }
}

// An allow rule that other sites can satisfy, or that admits addresses which are no web
// page: each advice names the addresses and the anchored form of the site.
void FilterLinter::LintAllowRule(size_t index,
                                 size_t column,
                                 const LineParts& parts,
                                 const PatternAnalysis& analysis) {
  const HostRuleAdvice advice = AdviseHostRule(analysis, parts.text, &probes_);
  const std::string anchored = advice.suggestion.empty()
                                   ? "begin it with ^https?:// and end the host with ![^/?#]"
                                   : "to allow only that site write +" +
                                         DisplayText(advice.suggestion, std::u16string::npos);
  if (advice.applies) {
    std::string message = "this allow rule matches " + Quoted(advice.host) +
                          " anywhere in the address, so it also allows ";
    for (size_t i = 0; i < advice.hostile.size() && i < 2; ++i) {
      message += (i == 0 ? "" : " and ") + DisplayText(advice.hostile[i], std::u16string::npos);
    }
    message += advice.suggestion.empty() ? "; anchor it to the host" : "; " + anchored;
    Add(index, column, Severity::kWarning, "hostile-allow", message);
  }
  const std::vector<std::u16string> unsafe = UnsafeSchemeAddresses(analysis, &probes_);
  if (!unsafe.empty()) {
    std::string message = "this allow rule also admits addresses that are no web page, such as ";
    for (size_t i = 0; i < unsafe.size() && i < 2; ++i) {
      message += (i == 0 ? "" : " and ") + DisplayText(unsafe[i], std::u16string::npos);
    }
    message +=
        ": a javascript: or vbscript: address runs script in the page shown, a data: address "
        "is a page of its own, a file: address opens a file or a share on another machine; "
        "anchor it to http and https: " +
        anchored;
    Add(index, column, Severity::kWarning, "unsafe-scheme", message);
  }
}

void FilterLinter::LintDefaultRules() {
  for (size_t i = 0; i < default_rules_.size(); ++i) {
    const size_t index = default_rules_[i];
    const size_t column = SplitLine(Line(index)).mark_column;
    if (coverage_.has_universal()) {
      Add(index, column, Severity::kWarning, "never-decides",
          "this default rule never counts: " + RuleName(coverage_.universal_line()) +
              " matches every address");
    } else if (i + 1 < default_rules_.size()) {
      Add(index, column, Severity::kWarning, "default-rule",
          "only the last default rule counts (" + LineNumber(default_rules_.back()) +
              "): this one has no effect");
    }
  }
}

// In a long list, a rule with no literal text that every match must contain is matched
// against every address, where the others are matched only against the addresses that
// hold their text.
void FilterLinter::LintUnindexedRules() {
  if (compiled_ == nullptr || compiled_->rules().size() <= kManyRules) {
    return;
  }
  for (const CompiledRule& rule : compiled_->rules()) {
    if (rule.indexed || rule.error != PatternError::kOk) {
      continue;
    }
    const LineParts parts = SplitLine(Line(rule.line));
    Add(rule.line, parts.mark_column + 1, Severity::kWarning, "no-literal",
        "this rule runs on every address: it holds no literal text that every match must "
        "contain, so in a list of " +
            std::to_string(compiled_->rules().size()) +
            " rules it is matched against each address while the others are skipped when "
            "their text is absent; name a word of the address it is meant for");
  }
}

void FilterLinter::RunExpectations() {
  if (compiled_ == nullptr) {
    return;
  }
  for (const Expectation& expectation : expectations_) {
    UrlCheckInput input;
    input.list = compiled_.get();
    input.address = expectation.url;
    const UrlDecision decision = DecideUrl(input);
    ExpectationResult result{expectation.line + 1,
                             expectation.allow,
                             expectation.url,
                             decision.allow,
                             decision.allow == expectation.allow,
                             DescribeDecision(decision, compiled_.get()),
                             decision.reason == DecisionReason::kDefaultRule
                                 ? decision.default_line_index
                                 : decision.line_index,
                             decision.rules_tried,
                             decision.steps};
    if (!result.passed) {
      Add(expectation.line, SplitLine(Line(expectation.line)).mark_column, Severity::kError,
          "expect",
          std::string("expected ") + (expectation.allow ? "allow" : "deny") + " for " +
              DisplayText(expectation.url) + " but " + result.explanation);
    }
    report_.expectations.push_back(std::move(result));
  }
}

}  // namespace

LintReport LintFilterLines(const std::vector<std::u16string>& lines) {
  return FilterLinter(&lines, nullptr).Run();
}

LintReport LintFilterTexts(LineTexts&& lines) {
  return FilterLinter(nullptr, &lines).Run();
}

}  // namespace zelk::tools
