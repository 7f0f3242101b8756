// zelkctl import: block and allow lists of other tools as filter rules, each anchored to
// the scheme and host, with a report of what could not be expressed.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/import/list_import.h"
#include "tools/zelkctl/support/input_file.h"
#include "tools/zelkctl/support/output_file.h"

namespace zelk::tools {
namespace {

struct ImportOptions {
  std::vector<ListSource> sources;
  std::vector<SkippedEntry> file_problems;
  std::string output;
  bool skip_unsupported = false;
};

// Splits the file's bytes into lines; a CR before LF goes with it. False with the reason
// when the bytes are no text list.
bool SplitList(const std::string& bytes, std::vector<std::string>* lines, std::string* why) {
  if (bytes.size() >= 2 &&
      ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
    *why = "UTF-16 text: save the list as UTF-8";
    return false;
  }
  if (bytes.find('\0') != std::string::npos) {
    *why = "a binary file (it holds NUL bytes), not a text list";
    return false;
  }
  size_t start = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    end = end == std::string::npos ? bytes.size() : end;
    size_t stop = end;
    if (stop > start && bytes[stop - 1] == '\r') {
      --stop;
    }
    lines->push_back(bytes.substr(start, stop - start));
    start = end + 1;
  }
  return true;
}

// Adds the file as a list source, or a problem for the file as a whole. False when the
// file cannot be read or its format cannot be told.
bool AddSource(const std::string& path,
               bool format_given,
               ListFormat format,
               bool allow,
               ImportOptions* options) {
  std::string bytes;
  if (!ReadInputFile(path, std::string::npos, &bytes)) {
    std::fprintf(stderr, "zelkctl import: cannot read %s\n", path.c_str());
    return false;
  }
  ListSource source;
  source.name = path;
  source.allow = allow;
  std::string why;
  if (!SplitList(bytes, &source.lines, &why)) {
    options->file_problems.push_back(SkippedEntry{path, 0, why});
    return true;
  }
  source.format = format;
  if (!format_given && !DetectListFormat(source.lines, &source.format, &why)) {
    if (source.lines.empty()) {
      options->file_problems.push_back(SkippedEntry{path, 0, "the file holds no entries"});
      return true;
    }
    std::fprintf(stderr,
                 "zelkctl import: cannot tell the format of %s (%s); name it with --format\n",
                 path.c_str(), why.c_str());
    return false;
  }
  options->sources.push_back(std::move(source));
  return true;
}

// Reads the arguments; --format, --allow and --deny apply to the files after them.
// Returns kExitOk, or the status to end with.
int ParseImportArguments(const std::vector<std::string>& args, ImportOptions* options) {
  bool format_given = false;
  ListFormat format = ListFormat::kDomains;
  bool allow = false;
  bool any_file = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--format" && i + 1 < args.size()) {
      if (!ParseListFormat(args[++i], &format)) {
        std::fprintf(stderr, "zelkctl import: unknown format %s (hosts, domains, policy, abp)\n",
                     args[i].c_str());
        return kExitUsage;
      }
      format_given = true;
    } else if (arg == "--allow" || arg == "--deny") {
      allow = arg == "--allow";
    } else if (arg == "-o" && i + 1 < args.size()) {
      options->output = args[++i];
    } else if (arg == "--skip-unsupported") {
      options->skip_unsupported = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "zelkctl import: unknown option %s (zelkctl import --help)\n",
                   arg.c_str());
      return kExitUsage;
    } else {
      any_file = true;
      if (!AddSource(arg, format_given, format, allow, options)) {
        return kExitUsage;
      }
    }
  }
  if (!any_file) {
    std::fprintf(stderr, "zelkctl import: name at least one list (zelkctl import --help)\n");
    return kExitUsage;
  }
  return kExitOk;
}

int RunImport(Invocation& invocation) {
  ImportOptions options;
  const int status = ParseImportArguments(invocation.args, &options);
  if (status != kExitOk) {
    return status;
  }
  ImportResult result = ImportListsAsText(std::move(options.sources));
  result.skipped.insert(result.skipped.begin(), options.file_problems.begin(),
                        options.file_problems.end());
  if (!WriteOutput(options.output, result.filter_text)) {
    std::fprintf(stderr, "zelkctl import: cannot write %s\n", options.output.c_str());
    return kExitUsage;
  }
  for (const SkippedEntry& entry : result.skipped) {
    const std::string where =
        entry.source + (entry.line == 0 ? "" : ":" + std::to_string(entry.line));
    std::fprintf(stderr, "%s: skipped: %s\n", where.c_str(), entry.why.c_str());
  }
  std::fprintf(stderr,
               "zelkctl import: %zu rule(s) written, %zu duplicate(s) dropped, %zu local "
               "name(s) passed over, %zu entr%s not expressible\n",
               result.rules, result.duplicates, result.passed_over, result.skipped.size(),
               result.skipped.size() == 1 ? "y" : "ies");
  return !result.skipped.empty() && !options.skip_unsupported ? kExitFindings : kExitOk;
}

}  // namespace

const Command kImportCommand = {
    "import",
    "[--format hosts|domains|policy|abp] [--allow|--deny] [-o FILE] [--skip-unsupported] "
    "FILE...\n"
    "  Each entry becomes one rule anchored to the scheme and host, so that neither a query\n"
    "  string nor a user name satisfies it. --format, --allow and --deny apply to the files\n"
    "  after them (deny is the default; without --format the format is told from the file\n"
    "  when it is unambiguous). Allow rules are written first. Entries that cannot be\n"
    "  expressed are listed on standard error with FILE:LINE and why; the status is then 1\n"
    "  unless --skip-unsupported is given.",
    "turn hosts files, domain lists, browser policy lists and ad-block rules into rules",
    RunImport};

}  // namespace zelk::tools
