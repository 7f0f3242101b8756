// What one filter pattern means and where it may surprise its author: the analyses behind
// `zelkctl lint` and `zelkctl explain-pattern`. Pure code; every analysis is bounded by
// the size of the pattern.
#ifndef ZELK_TOOLS_ZELKCTL_LINT_PATTERN_ANALYSIS_H_
#define ZELK_TOOLS_ZELKCTL_LINT_PATTERN_ANALYSIS_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/parser.h"

namespace zelk::tools {

// The kinds of surprise a pattern can hold, one per check.
enum class PatternIssue {
  kIgnoredText,            // a lenient stop passes over part of the pattern
  kRunawayRepeat,          // repeats nested so that matching can take exponential time
  kAmbiguousAlternation,   // alternatives under a repeat that can match at the same place
  kSingleTermAlternation,  // "|" between plain characters, which reads like words
  kLiteralOperator,        // "*", "+", "?" or "|" where an atom is expected: a literal
  kLiteralDollar,          // "$" that is not the last character: a literal
  kLiteralCaret,           // "^" that is not the first character: a literal
};

struct PatternNote {
  PatternIssue issue;
  size_t position;  // index into the pattern of the text the note is about
  std::string message;
};

// A literal pattern: plain characters only, each of which must appear in turn.
struct LiteralForm {
  bool is_literal = false;
  std::u16string text;    // folded
  bool at_start = false;  // anchored with "^"
  bool at_end = false;    // ends with the end-of-input "$"
};

// A run of plain characters in the pattern's top sequence; "." stands for itself here.
struct PlainRun {
  std::u16string text;
  std::vector<size_t> ends;  // per character: where its node ends in the pattern
};

// What the checks know of one pattern, built once from the one reading and compilation of
// it and shared by every check.
struct PatternAnalysis {
  PatternError error = PatternError::kOk;  // what CompilePattern returned
  // Where reading stopped: the index of the character at which an error was found.
  size_t stop = 0;
  // The pattern begins with "^", so it is tried at the first position of an address only.
  bool anchored = false;
  // The compiled program, never null: empty when the pattern does not compile. It is the
  // program of the list the pattern was compiled in, which must outlive the analysis, or
  // `own_program` for a pattern analysed on its own.
  const UrlPattern* program = nullptr;
  std::shared_ptr<const UrlPattern> own_program;
  // The compiler's classification of the whole pattern (may it match the empty string?).
  bool may_be_empty = false;
  // True when the pattern matches the empty string at the first position of any address,
  // and so matches every non-empty address ("x*", "()", ".*", "^").
  bool matches_everything = false;
  // The pattern with the text a lenient reading passes over taken out, as it compiles.
  std::u16string effective;
  LiteralForm literal;
  std::vector<PlainRun> runs;      // the plain runs of the top sequence, in order
  std::vector<PatternNote> notes;  // in pattern order
};

// Compiles `pattern` as the URL check does, reading it once, and runs every pattern check
// on it. Notes are only made for a pattern that compiles.
PatternAnalysis AnalysePattern(std::u16string_view pattern);

// The same for a pattern already read and compiled (by a filter list compiled once):
// `reading` is what CompilePattern read of `pattern`, `error` what it returned, `program`
// what it built (null when the pattern does not compile); the program is copied.
PatternAnalysis AnalyseReading(std::u16string_view pattern,
                               const PatternReading& reading,
                               PatternError error,
                               const UrlPattern* program);

// Analyses the patterns of a list one after another, in room that each reuses from the
// one before. The program of an analysis it returns is its own: valid until the next call.
class PatternAnalyser {
 public:
  // As AnalysePattern. With `run_checks` false the pattern checks are not run, and the
  // analysis holds no notes of theirs: for a pattern known to have none.
  PatternAnalysis Analyse(std::u16string_view pattern, bool run_checks);

 private:
  PatternReading reading_;
  PatternWorkspace workspace_;
  UrlPattern program_;
};

// Messages quote at most this many characters of a rule, so that a huge line gives a
// readable message.
constexpr size_t kDisplayLimit = 120;

// Text of a filter line as messages show it: UTF-8, with control characters written as
// \xNN so that a message stays on one line, and cut to `limit` characters followed by
// "..." when longer.
std::string DisplayText(std::u16string_view text, size_t limit = kDisplayLimit);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_LINT_PATTERN_ANALYSIS_H_
