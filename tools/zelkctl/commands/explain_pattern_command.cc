// zelkctl explain-pattern: how one pattern compiles, for the curious and for the puzzled.
#include <cstdio>
#include <string>

#include "common/text.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/lint/pattern_analysis.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

std::string YesNo(bool value) {
  return value ? "yes" : "no";
}

// Characters of UTF-8 text, for lining a caret up under a column.
size_t DisplayWidth(const std::string& utf8) {
  size_t width = 0;
  for (const char c : utf8) {
    width += (static_cast<unsigned char>(c) & 0xc0) != 0x80 ? 1 : 0;
  }
  return width;
}

void PrintError(std::u16string_view pattern, const PatternAnalysis& analysis) {
  const size_t stop = analysis.stop;
  PrintLine(std::string("compiles:     no, ") + PatternErrorName(analysis.error) +
            " (reading stopped at column " + std::to_string(stop + 1) + ")");
  PrintLine("  " + DisplayText(pattern, pattern.size()));
  PrintLine("  " + std::string(DisplayWidth(DisplayText(pattern.substr(0, stop), stop)), ' ') +
            "^");
  PrintLine(
      "In a filter file this rule refuses every address that reaches it, and no later "
      "rule is looked at.");
}

void PrintProgram(const PatternAnalysis& analysis) {
  const UrlPattern& compiled = *analysis.program;
  PrintLine("program:      " + std::to_string(compiled.instructions().size()) + " instructions, " +
            std::to_string(compiled.group_count()) + " capture group(s), " +
            std::to_string(compiled.slot_count()) + " slot(s)");
  for (size_t i = 0; i < compiled.instructions().size(); ++i) {
    char address[32];
    std::snprintf(address, sizeof(address), "%6zu  ", i);
    PrintLine(address + InstructionText(compiled.instructions()[i]));
  }
}

// What the compiled pattern is: its effective text, anchoring and emptiness.
void PrintFacts(std::u16string_view pattern, const PatternAnalysis& analysis) {
  PrintLine("compiles:     yes" +
            (analysis.effective != pattern
                 ? ", as '" + DisplayText(analysis.effective, pattern.size()) + "'"
                 : std::string()));
  PrintLine("anchored:     " + std::string(analysis.anchored
                                               ? "yes: tried at the first character only"
                                               : "no: tried at every start position in turn"));
  // The compiler's classing, which a negation or a back-reference can belie: "!a" is
  // classed like "a" but consumes nothing.
  PrintLine("may be empty: " + YesNo(analysis.may_be_empty) +
            (analysis.may_be_empty
                 ? " (classed as able to match the empty text: \"*\" or \"+\" applied to it "
                   "gives EmptyRepeat)"
                 : " (classed as unable to match the empty text)"));
  PrintLine("matches every address: " + YesNo(analysis.matches_everything) +
            (analysis.matches_everything ? " (it matches the empty text before the first character)"
                                         : ""));
  if (pattern.empty()) {
    PrintLine("              (in a filter file a line with an empty pattern is ignored)");
  }
}

int RunExplainPattern(Invocation& invocation) {
  if (invocation.args.size() != 1 || invocation.json) {
    std::fprintf(stderr,
                 "zelkctl explain-pattern: give one pattern, quoted for the shell "
                 "(zelkctl explain-pattern --help)\n");
    return kExitUsage;
  }
  const std::u16string pattern = FromUtf8(invocation.args[0]);
  const PatternAnalysis analysis = AnalysePattern(pattern);
  PrintLine("pattern:      " + DisplayText(pattern, pattern.size()));
  if (!pattern.empty() && (pattern[0] == u'+' || pattern[0] == u'-')) {
    PrintLine("              (the pattern is taken without a mark: here the leading '" +
              DisplayText(pattern.substr(0, 1)) + "' is part of it)");
  }
  if (analysis.error != PatternError::kOk) {
    PrintError(pattern, analysis);
    return kExitFindings;
  }
  PrintFacts(pattern, analysis);
  PrintProgram(analysis);
  for (const PatternNote& note : analysis.notes) {
    PrintLine("note: column " + std::to_string(note.position + 1) + ": " + note.message);
  }
  return kExitOk;
}

}  // namespace

const Command kExplainPatternCommand = {
    "explain-pattern", "PATTERN",
    "show how a pattern compiles: program listing, may-be-empty, error column", RunExplainPattern};

}  // namespace zelk::tools
