// zelkctl check-list: the library's answer for every address of a file, one tab-separated
// line each, for scripts and for `zelkctl impact`, which runs it once per filter file.
#include <cstdio>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/platform.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/support/address_file.h"
#include "tools/zelkctl/support/check_answer.h"
#include "tools/zelkctl/support/check_list_line.h"
#include "tools/zelkctl/support/output_file.h"
#include "tools/zelkctl/support/own_configuration.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_check_input.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

struct CheckListArguments {
  std::string output;           // -o: the file to write, or empty for standard output
  std::string expected_filter;  // --expect-filter
  std::string url_file;
};

bool ParseCheckList(const std::vector<std::string>& args, CheckListArguments* parsed) {
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      parsed->output = args[++i];
    } else if (args[i] == "--expect-filter" && i + 1 < args.size()) {
      parsed->expected_filter = args[++i];
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 1) {
    return false;
  }
  parsed->url_file = files[0];
  return true;
}

std::string HeaderLine(const ConfigSource& source) {
  const bool checking = source.settings_copy.check_url_access != 0;
  return std::string(kCheckListHeader) + "\t" + ToUtf8(source.filter_file_path) + "\t" +
         (checking ? "on" : "off");
}

// A registry value may name another filter file than the caller laid out; then the
// library is not asked at all, since it would check against that file (or report that it
// cannot open it, in a message box that waits for a click).
bool LoadsTheExpectedFilter(const ConfigSource& source, const std::string& expected_filter) {
  const bool checking = source.settings_copy.check_url_access != 0;
  return expected_filter.empty() ||
         (checking && FromUtf8(expected_filter) == source.filter_file_path);
}

// One line for the address: the library's answer, and the rule that decided it, worked out
// in this process from the same settings and filter file the library loaded.
std::string CheckedLine(const HostLibrary& library,
                        const ConfigSource& source,
                        const std::string& url) {
  const LibraryCheck check = AskCheckUrl(library, url);
  const std::u16string address = platform::AnsiToWide(url);
  const UrlDecision decision = DecideUrl(UrlCheckInputFor(source, address));
  return FormatCheckListLine(
      {check.answer, check.nanoseconds, DescribeDecision(decision, FilterListOf(source)), url});
}

std::vector<std::string> CheckEveryAddress(const HostLibrary& library,
                                           ConfigSource& source,
                                           const std::vector<std::string>& urls) {
  LoadFilterList(source);
  // The first call reads the settings and the filter file; a call before the timed ones
  // keeps that out of the figures.
  char warm_up[] = "about:blank";
  library.CheckURL(warm_up, static_cast<int>(sizeof(warm_up)), "");
  std::vector<std::string> lines;
  for (const std::string& url : urls) {
    lines.push_back(CheckedLine(library, source, url));
  }
  return lines;
}

int RunCheckList(Invocation& invocation) {
  CheckListArguments arguments;
  if (!ParseCheckList(invocation.args, &arguments)) {
    std::fprintf(stderr, "zelkctl check-list: name one file of addresses\n");
    return kExitUsage;
  }
  std::vector<std::string> urls;
  if (!ReadAddressFile(arguments.url_file, &urls)) {
    std::fprintf(stderr, "zelkctl check-list: cannot read %s\n", arguments.url_file.c_str());
    return kExitUsage;
  }
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  ConfigSource source;
  ReadOwnConfiguration(source);
  std::vector<std::string> lines = {HeaderLine(source)};
  const bool as_expected = LoadsTheExpectedFilter(source, arguments.expected_filter);
  if (as_expected) {
    for (std::string& line : CheckEveryAddress(invocation.library, source, urls)) {
      lines.push_back(std::move(line));
    }
  }
  if (!WriteOutput(arguments.output, JoinLines(lines))) {
    return kExitUsage;
  }
  return as_expected ? kExitOk : kExitFindings;
}

}  // namespace

const Command kCheckListCommand = {
    "check-list",
    "[-o OUT] [--expect-filter PATH] URLFILE\n"
    "  One line per address: answer (allowed, refused, unloaded), nanoseconds the check took,\n"
    "  the deciding rule and the address, tab-separated, after a header line naming the\n"
    "  filter file the library loaded. --expect-filter: check nothing (status 1) unless the\n"
    "  library would load that filter file with checking on.",
    "the library's answer for every address of a file, one tab-separated line each", RunCheckList};

}  // namespace zelk::tools
