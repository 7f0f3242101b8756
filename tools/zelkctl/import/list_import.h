// Block and allow lists of other tools turned into filter rules: the converters of each
// list format, the guess of a file's format, and the assembly of one filter text from
// many lists. Pure code: the caller reads the files.
#ifndef ZELK_TOOLS_ZELKCTL_IMPORT_LIST_IMPORT_H_
#define ZELK_TOOLS_ZELKCTL_IMPORT_LIST_IMPORT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zelkctl/import/host_grammar.h"
#include "tools/zelkctl/support/blank_text.h"

namespace zelk::tools {

enum class ListFormat { kHosts, kDomains, kPolicy, kAbp };

// "hosts", "domains", "policy", "abp"; false for any other name.
bool ParseListFormat(std::string_view name, ListFormat* format);
const char* ListFormatName(ListFormat format);

// One rule an entry becomes.
struct ImportedRule {
  bool allow = false;
  std::string pattern;  // the rule text, without its mark
  // For a rule that admits a domain and every name under it, on any port and path, for
  // every scheme the mark gives an entry without one: the domain, so that later entries under it
  // can be found covered. Else empty.
  std::string domain;
};

// What one line of a list becomes: rules, and the parts that cannot be expressed.
struct LineConversion {
  std::vector<ImportedRule> rules;
  std::vector<std::string> problems;  // each says what was not converted and why
  size_t passed_over = 0;             // names that are no site (hosts: "localhost")
};

// The converters, one per format. `allow` is the kind of rule the list's entries become
// (an ad-block exception "@@" allows whatever it is given). A line is UTF-8 text without
// its line end.
LineConversion ConvertHostsLine(std::string_view line, bool allow);
LineConversion ConvertDomainLine(std::string_view line, bool allow);
LineConversion ConvertPolicyLine(std::string_view line, bool allow);
LineConversion ConvertAbpLine(std::string_view line, bool allow);

// The format the lines are written in, when they show it unambiguously; otherwise false
// with the reason.
bool DetectListFormat(const std::vector<std::string>& lines, ListFormat* format, std::string* why);

// One list to import.
struct ListSource {
  std::string name;  // as the comments and messages name it
  ListFormat format = ListFormat::kDomains;
  bool allow = false;
  std::vector<std::string> lines;  // the file's lines, without line ends
};

// An entry that was not converted: where it stands and why.
struct SkippedEntry {
  std::string source;
  size_t line = 0;  // from 1; 0 for the file as a whole
  std::string why;
};

struct ImportResult {
  std::vector<std::string> filter_lines;  // the filter text, one line each (ImportLists)
  std::string filter_text;  // the same in one block, each line ended by "\n" (ImportListsAsText)
  size_t rules = 0;
  size_t duplicates = 0;  // entries whose rule was already written, or is covered by one
  size_t passed_over = 0;
  std::vector<SkippedEntry> skipped;
};

// Lines longer than this are no entry of any list format.
inline constexpr size_t kMaxEntryLength = 8192;

// Converts every list. Allow rules come before deny rules, so that an exception wins over
// a block wherever the two stand in the lists, as it does in the browsers' own lists and
// in ad-block lists. Each run of rules from neighbouring lines of one list has a comment
// naming the list and its lines above it.
ImportResult ImportLists(const std::vector<ListSource>& sources);
// The same for a caller that writes the filter text out: the lists are taken over, each
// one's lines freed once converted, and the text comes in one block, `filter_text`, rather
// than a string a line, so that a list of a million entries is not held twice over.
ImportResult ImportListsAsText(std::vector<ListSource>&& sources);

// Helpers the converters share.
namespace list_import {

using tools::TrimBlank;
using tools::Words;
// The text before the first `mark`, trimmed.
std::string_view BeforeComment(std::string_view text, char mark);
// The ASCII letters of the text folded to lower case.
std::string FoldAscii(std::string_view text);
// Text quoted for a message, cut when long, control characters shown as "?".
std::string Quoted(std::string_view text);
// Reads the host name into `host_rule`; false with the reason. An address has no names
// under it, so a rule for it names it alone.
bool ReadHostName(std::string_view name, HostRuleSpec* host_rule, std::string* why);
// Adds the rule of `host_rule` to `out`, noting the domain when it covers the names under it.
// An allow rule for an entry that names no scheme admits the web's schemes only; a deny
// rule refuses the site on every scheme.
void AddHostRule(HostRuleSpec host_rule, bool allow, LineConversion* out);

}  // namespace list_import

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_IMPORT_LIST_IMPORT_H_
