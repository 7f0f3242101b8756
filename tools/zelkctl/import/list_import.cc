#include "tools/zelkctl/import/list_import.h"

#include "tools/zelkctl/import/punycode.h"
#include "tools/zelkctl/import/text_set.h"
#include "tools/zelkctl/support/blank_text.h"

namespace zelk::tools {
namespace list_import {

std::string_view BeforeComment(std::string_view text, char mark) {
  return TrimBlank(text.substr(0, text.find(mark)));
}

std::string FoldAscii(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return folded;
}

std::string Quoted(std::string_view text) {
  constexpr size_t kShown = 80;
  std::string shown;
  for (size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    shown.push_back(byte < 0x20 || byte == 0x7F ? '?' : text[i]);
  }
  return "\"" + shown + (text.size() > kShown ? "...\"" : "\"");
}

bool ReadHostName(std::string_view name, HostRuleSpec* host_rule, std::string* why) {
  if (!NormalizeHostName(name, &host_rule->host, why)) {
    return false;
  }
  if (host_rule->host.is_address) {
    if (host_rule->names == HostRuleSpec::Names::kSubdomainsOnly) {
      *why = "an address has no names under it";
      return false;
    }
    host_rule->names = HostRuleSpec::Names::kExact;
  }
  return true;
}

void AddHostRule(HostRuleSpec host_rule, bool allow, LineConversion* out) {
  const bool names_scheme = !host_rule.schemes.empty();
  if (allow && !names_scheme) {
    host_rule.schemes = kWebSchemes;
  }
  ImportedRule rule;
  rule.allow = allow;
  rule.pattern = BuildHostPattern(host_rule);
  if (host_rule.names == HostRuleSpec::Names::kWithSubdomains && !names_scheme &&
      host_rule.port.empty() && host_rule.path.empty() && !host_rule.has_tail) {
    rule.domain = host_rule.host.ascii;
  }
  out->rules.push_back(std::move(rule));
}

}  // namespace list_import

using list_import::FoldAscii;
using list_import::TrimBlank;
using list_import::Words;

namespace {

struct FormatEntry {
  ListFormat format;
  const char* name;
  LineConversion (*convert)(std::string_view line, bool allow);
};
constexpr FormatEntry kFormats[] = {
    {ListFormat::kHosts, "hosts", ConvertHostsLine},
    {ListFormat::kDomains, "domains", ConvertDomainLine},
    {ListFormat::kPolicy, "policy", ConvertPolicyLine},
    {ListFormat::kAbp, "abp", ConvertAbpLine},
};

const FormatEntry& EntryOf(ListFormat format) {
  for (const FormatEntry& entry : kFormats) {
    if (entry.format == format) {
      return entry;
    }
  }
  return kFormats[0];
}

bool LooksLikeAddress(std::string_view word) {
  bool digit = false;
  for (char c : word) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex && c != '.' && c != ':' && c != '%') {
      return false;
    }
    digit = digit || (c >= '0' && c <= '9');
  }
  return digit && (word.find('.') != std::string_view::npos || word.find(':') != word.npos);
}

// A control character other than tab, which no entry of any format holds.
bool HasControl(std::string_view line) {
  for (char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
      return true;
    }
  }
  return false;
}

// The reason a line cannot be an entry of any format at all, or empty.
std::string UnreadableLine(std::string_view line) {
  if (line.size() > kMaxEntryLength) {
    return "a line of " + std::to_string(line.size()) + " bytes: no entry of a list is that long";
  }
  std::u32string points;
  if (!DecodeUtf8(line, &points)) {
    return "the line is not UTF-8 text";
  }
  if (HasControl(line)) {
    return "the line holds control characters";
  }
  return "";
}

std::string SafeName(std::string_view name) {
  std::string safe(name);
  for (char& c : safe) {
    if (static_cast<unsigned char>(c) < 0x20) {
      c = '?';  // a line break in a name would end the comment that shows it
    }
  }
  return safe;
}

// A rule waiting to be written, with the line it came from. Its pattern is kept once, in
// the set of the rules written with its mark.
struct Pending {
  bool allow;
  size_t pattern;  // the number of its text in that set
  size_t source;
  size_t line;
};

// Rules of neighbouring lines of one list, written under one comment: [begin, end) of
// the pending rules.
struct Block {
  size_t begin;
  size_t end;
};

class Importer {
 public:
  // With `taken`, the same lists as `sources`, taken over: their lines are freed once
  // converted, and the text is written in one block.
  Importer(const std::vector<ListSource>& sources, std::vector<ListSource>* taken)
      : sources_(sources), taken_(taken) {}

  ImportResult Run() {
    Reserve();
    for (size_t s = 0; s < sources_.size(); ++s) {
      ImportSource(s);
      if (taken_ != nullptr) {
        std::vector<std::string>().swap((*taken_)[s].lines);
      }
    }
    domains_[0] = TextSet();  // only the conversion looks for covering domains
    domains_[1] = TextSet();
    const std::vector<Block> blocks[2] = {Blocks(true), Blocks(false)};
    ReserveText(blocks);
    WriteHeader();
    WriteRules(true, blocks[0]);
    WriteRules(false, blocks[1]);
    return std::move(result_);
  }

 private:
  // Room for one rule per line, of about the line's length, so that the sets do not
  // grow step by step through a long list.
  void Reserve() {
    size_t lines[2] = {0, 0};
    size_t bytes[2] = {0, 0};
    for (const ListSource& source : sources_) {
      lines[source.allow ? 1 : 0] += source.lines.size();
      for (const std::string& line : source.lines) {
        bytes[source.allow ? 1 : 0] += line.size();
      }
    }
    // What the anchors add to a host (about 75 characters), with room to spare: room
    // reserved and never written takes no memory of the machine.
    constexpr size_t kPatternOverLine = 128;
    pending_.reserve(lines[0] + lines[1]);
    for (size_t mark = 0; mark < 2; ++mark) {
      patterns_[mark].Reserve(lines[mark], bytes[mark] + lines[mark] * kPatternOverLine);
      domains_[mark].Reserve(lines[mark], bytes[mark]);
    }
  }

  void Skip(size_t source, size_t line, std::string why) {
    result_.skipped.push_back(SkippedEntry{sources_[source].name, line, std::move(why)});
  }

  void ImportSource(size_t s) {
    const ListSource& source = sources_[s];
    bool any = false;
    for (size_t i = 0; i < source.lines.size(); ++i) {
      const std::string& line = source.lines[i];
      any = any || !TrimBlank(line).empty();
      const std::string unreadable = UnreadableLine(line);
      if (!unreadable.empty()) {
        Skip(s, i + 1, unreadable);
        continue;
      }
      LineConversion conversion = EntryOf(source.format).convert(line, source.allow);
      for (std::string& problem : conversion.problems) {
        Skip(s, i + 1, std::move(problem));
      }
      result_.passed_over += conversion.passed_over;
      for (ImportedRule& rule : conversion.rules) {
        Add(rule, s, i + 1);
      }
    }
    if (!any) {
      Skip(s, 0, "the file holds no entries");
    }
  }

  // True when a domain already written with the same mark covers `domain`.
  bool Covered(std::string_view domain, bool allow) const {
    const TextSet& domains = domains_[allow ? 1 : 0];
    for (size_t from = 0; from != std::string::npos;) {
      if (domains.Contains(domain.substr(from))) {
        return true;
      }
      from = domain.find('.', from);
      from = from == std::string::npos ? from : from + 1;
    }
    return false;
  }

  void Add(const ImportedRule& rule, size_t source, size_t line) {
    TextSet& patterns = patterns_[rule.allow ? 1 : 0];
    if (patterns.Contains(rule.pattern) ||
        (!rule.domain.empty() && Covered(rule.domain, rule.allow))) {
      ++result_.duplicates;
      return;
    }
    bool added = false;
    const size_t pattern = patterns.Insert(rule.pattern, &added);
    if (!rule.domain.empty()) {
      domains_[rule.allow ? 1 : 0].Insert(rule.domain, &added);
    }
    pending_.push_back(Pending{rule.allow, pattern, source, line});
  }

  void WriteLine(std::string_view first, std::string_view rest = {}) {
    if (taken_ == nullptr) {
      std::string& line = result_.filter_lines.emplace_back(first);
      line.append(rest);
      return;
    }
    result_.filter_text.append(first).append(rest).push_back('\n');
  }

  void WriteHeader() {
    result_.rules = pending_.size();
    std::string names;
    for (const ListSource& source : sources_) {
      names += (names.empty() ? "" : ", ") + SafeName(source.name);
    }
    WriteLine("; Imported by zelkctl import from " + names + ": " + std::to_string(result_.rules) +
              " rule(s).");
    WriteLine("; Allow rules come first, so that an exception wins over a block as in the lists.");
  }

  std::vector<Block> Blocks(bool allow) const {
    std::vector<Block> blocks;
    for (size_t i = 0; i < pending_.size();) {
      if (pending_[i].allow != allow) {
        ++i;
        continue;
      }
      size_t end = i + 1;
      size_t last_line = pending_[i].line;
      while (end < pending_.size() && pending_[end].allow == allow &&
             pending_[end].source == pending_[i].source && pending_[end].line <= last_line + 1) {
        last_line = pending_[end].line;
        ++end;
      }
      blocks.push_back(Block{i, end});
      i = end;
    }
    return blocks;
  }

  // Room for the whole text at once, so that a text of a million lines does not grow
  // step by step, copying itself each time.
  void ReserveText(const std::vector<Block> (&blocks)[2]) {
    if (taken_ == nullptr) {
      result_.filter_lines.reserve(pending_.size() + blocks[0].size() + blocks[1].size() + 2);
      return;
    }
    constexpr size_t kCommentOverName = 256;  // the header, the line numbers and the words
    size_t bytes = patterns_[0].bytes() + patterns_[1].bytes() + 2 * pending_.size();
    for (const ListSource& source : sources_) {
      bytes += source.name.size() + kCommentOverName;
    }
    for (const std::vector<Block>& list : blocks) {
      for (const Block& block : list) {
        bytes += sources_[pending_[block.begin].source].name.size() + kCommentOverName;
      }
    }
    result_.filter_text.reserve(bytes);
  }

  void WriteRules(bool allow, const std::vector<Block>& blocks) {
    for (const Block& block : blocks) {
      const Pending& first = pending_[block.begin];
      const size_t last_line = pending_[block.end - 1].line;
      const ListSource& source = sources_[first.source];
      std::string where = SafeName(source.name) + ":" + std::to_string(first.line);
      if (last_line != first.line) {
        where += "-" + std::to_string(last_line);
      }
      WriteLine("; " + where + " (" + ListFormatName(source.format) + ", " +
                (allow ? "allowed" : "refused") + ")");
      const std::string_view mark = allow ? "+" : "-";
      for (size_t k = block.begin; k < block.end; ++k) {
        WriteLine(mark, patterns_[allow ? 1 : 0].Text(pending_[k].pattern));
      }
    }
  }

  const std::vector<ListSource>& sources_;
  std::vector<ListSource>* taken_;
  ImportResult result_;
  std::vector<Pending> pending_;
  // The patterns written, and the domains whose names they cover, by mark (deny, allow).
  TextSet patterns_[2];
  TextSet domains_[2];
};

// What one line says about its format.
enum class Vote { kNone, kAbp, kHosts, kPolicy, kDomain, kDottedDomain };

Vote VoteOf(std::string_view raw) {
  const std::string line = FoldAscii(TrimBlank(raw));
  if (line.empty() || line[0] == ';') {
    return Vote::kNone;
  }
  if (line[0] == '!' || line[0] == '[') {
    return line.find("adblock") != std::string::npos ? Vote::kAbp : Vote::kNone;
  }
  if (line.find("##") != std::string::npos || line.find("#@#") != std::string::npos) {
    return Vote::kAbp;
  }
  if (line[0] == '#') {
    return Vote::kNone;
  }
  const std::vector<std::string_view> words = Words(list_import::BeforeComment(line, '#'));
  if (words.size() >= 2 && LooksLikeAddress(words[0])) {
    return Vote::kHosts;
  }
  if (words.size() != 1) {
    return Vote::kNone;
  }
  const std::string_view word = words[0];
  if (word.rfind("||", 0) == 0 || word.rfind("@@", 0) == 0 || word[0] == '|' ||
      word.find_first_of("^$") != std::string_view::npos) {
    return Vote::kAbp;
  }
  if (word == "*" || word.rfind("[*.]", 0) == 0 ||
      word.find_first_of("/:") != std::string_view::npos) {
    return Vote::kPolicy;
  }
  return word[0] == '.' ? Vote::kDottedDomain : Vote::kDomain;
}

struct SeenFormat {
  Vote vote;
  ListFormat format;
  size_t line = 0;  // the first line that voted so, from 1
};

// What the lines of a list vote for.
struct Tally {
  SeenFormat seen[3] = {{Vote::kAbp, ListFormat::kAbp},
                        {Vote::kHosts, ListFormat::kHosts},
                        {Vote::kPolicy, ListFormat::kPolicy}};
  size_t dotted = 0;   // the first line of a domain with a leading dot, from 1
  size_t domains = 0;  // lines that read as a domain name
};

Tally TallyVotes(const std::vector<std::string>& lines) {
  Tally tally;
  for (size_t i = 0; i < lines.size(); ++i) {
    const Vote vote = VoteOf(lines[i]);
    for (SeenFormat& kind : tally.seen) {
      if (kind.vote == vote && kind.line == 0) {
        kind.line = i + 1;
      }
    }
    tally.dotted = vote == Vote::kDottedDomain && tally.dotted == 0 ? i + 1 : tally.dotted;
    tally.domains += vote == Vote::kDomain || vote == Vote::kDottedDomain ? 1 : 0;
  }
  // Plain ad-block rules ("/ads/") read like policy entries, so ad-block wins over policy.
  if (tally.seen[0].line != 0) {
    tally.seen[2].line = 0;
  }
  return tally;
}

// The one format some line voted for (null for none); false with the reason when lines
// voted for two.
bool OneFormatSeen(const Tally& tally, const SeenFormat** found, std::string* why) {
  for (const SeenFormat& kind : tally.seen) {
    if (kind.line == 0) {
      continue;
    }
    if (*found != nullptr) {
      *why = std::string("line ") + std::to_string((*found)->line) + " reads as " +
             ListFormatName((*found)->format) + " but line " + std::to_string(kind.line) + " as " +
             ListFormatName(kind.format);
      return false;
    }
    *found = &kind;
  }
  return true;
}

}  // namespace

bool ParseListFormat(std::string_view name, ListFormat* format) {
  for (const FormatEntry& entry : kFormats) {
    if (name == entry.name) {
      *format = entry.format;
      return true;
    }
  }
  return false;
}

const char* ListFormatName(ListFormat format) {
  return EntryOf(format).name;
}

bool DetectListFormat(const std::vector<std::string>& lines, ListFormat* format, std::string* why) {
  const Tally tally = TallyVotes(lines);
  const SeenFormat* found = nullptr;
  if (!OneFormatSeen(tally, &found, why)) {
    return false;
  }
  if (found != nullptr) {
    *format = found->format;
    return true;
  }
  if (tally.dotted != 0) {
    *why = "line " + std::to_string(tally.dotted) +
           " starts with a dot, which means the domain and the names under it in a domain "
           "list but only the name itself in a browser policy list";
    return false;
  }
  if (tally.domains == 0) {
    *why = "no line reads as an entry of any format";
    return false;
  }
  *format = ListFormat::kDomains;
  return true;
}

ImportResult ImportLists(const std::vector<ListSource>& sources) {
  return Importer(sources, nullptr).Run();
}

ImportResult ImportListsAsText(std::vector<ListSource>&& sources) {
  return Importer(sources, &sources).Run();
}

}  // namespace zelk::tools
