// zelkctl check-list: the library's answer for every address of a file, one tab-separated
// line each, for scripts and for `zelkctl impact`, which runs it once per filter file.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/text.h"
#include "config/settings_loader.h"
#include "platform/platform.h"
#include "tools/zelkctl/check_list.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_check_input.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

constexpr size_t kSpareRoom = size_t{64} * 1024;  // for the denied page

// The rule that decided the address, in words: "line 7 (-casino) refuses it". Worked out
// in this process from the same settings and filter file the library loaded.
std::string DecidingLine(const ConfigSource& source, const std::string& url) {
  const std::u16string address = platform::AnsiToWide(url);
  return DescribeDecision(DecideUrl(UrlCheckInputFor(source, address)), source.filter_patterns);
}

int RunCheckList(Invocation& invocation) {
  std::string output;
  std::string expected_filter;
  std::vector<std::string> files;
  for (size_t i = 0; i < invocation.args.size(); ++i) {
    if (invocation.args[i] == "-o" && i + 1 < invocation.args.size()) {
      output = invocation.args[++i];
    } else if (invocation.args[i] == "--expect-filter" && i + 1 < invocation.args.size()) {
      expected_filter = invocation.args[++i];
    } else {
      files.push_back(invocation.args[i]);
    }
  }
  if (files.size() != 1) {
    std::fprintf(stderr, "zelkctl check-list: name one file of addresses\n");
    return kExitUsage;
  }
  std::vector<std::string> urls;
  if (!ReadAddressFile(files[0], &urls)) {
    std::fprintf(stderr, "zelkctl check-list: cannot read %s\n", files[0].c_str());
    return kExitUsage;
  }
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  ConfigSource source;
  EnsureSettingsLoaded(source);
  const bool checking = source.settings_copy.check_url_access != 0;
  std::vector<std::string> lines = {std::string(kCheckListHeader) + "\t" +
                                    ToUtf8(source.filter_file_path) + "\t" +
                                    (checking ? "on" : "off")};
  // A registry value may name another filter file than the caller laid out; then the
  // library is not asked at all, since it would check against that file (or report that
  // it cannot open it, in a message box that waits for a click).
  const bool as_expected =
      expected_filter.empty() || (checking && FromUtf8(expected_filter) == source.filter_file_path);
  if (as_expected) {
    LoadFilterList(source);
    // The first call reads the settings and the filter file; a call before the timed ones
    // keeps that out of the figures.
    char warm_up[] = "about:blank";
    invocation.library.CheckURL(warm_up, static_cast<int>(sizeof(warm_up)), "");
  } else {
    urls.clear();
  }
  for (const std::string& url : urls) {
    std::vector<char> buffer(url.size() + kSpareRoom, '\0');
    std::memcpy(buffer.data(), url.data(), url.size());
    const auto start = std::chrono::steady_clock::now();
    const int answer =
        invocation.library.CheckURL(buffer.data(), static_cast<int>(buffer.size()), "");
    const auto took = std::chrono::steady_clock::now() - start;
    const bool unloaded = answer == 1 && std::string(buffer.data()) != url;
    CheckListLine line;
    line.answer = unloaded ? "unloaded" : answer == 1 ? "allowed" : "refused";
    line.nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
    line.why = DecidingLine(source, url);
    line.url = url;
    lines.push_back(FormatCheckListLine(line));
  }
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\n";
  }
  const int status = as_expected ? kExitOk : kExitFindings;
  if (output.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return status;
  }
  std::ofstream out(std::filesystem::u8path(output), std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return out.flush() ? status : kExitUsage;
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
