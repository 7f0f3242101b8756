// zelkctl report: one self-contained HTML page that shows the installation the way the
// visitor will meet it (menus with the entries taken away, the filter's answers, the denied
// page), for the administrator to read, print and keep with the deployment.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/report/report_page.h"
#include "tools/zelkctl/report/report_sources.h"
#include "tools/zelkctl/support/address_file.h"
#include "tools/zelkctl/support/output_file.h"

namespace zelk::tools {
namespace {

// More addresses make the page long without showing more of the installation.
constexpr size_t kMaxSampleUrls = 200;
constexpr size_t kMaxUrlsFileBytes = size_t{1} << 20;

struct ReportArguments {
  std::string output;  // empty: standard output
  std::string urls_file;
};

bool ParseArguments(const std::vector<std::string>& args, ReportArguments* parsed) {
  for (size_t i = 0; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    if (args[i] == "-o" && has_value) {
      parsed->output = args[++i];
    } else if (args[i] == "--urls" && has_value) {
      parsed->urls_file = args[++i];
    } else {
      std::fprintf(stderr, "zelkctl report: unexpected argument %s (zelkctl report --help)\n",
                   args[i].c_str());
      return false;
    }
  }
  return true;
}

// The sample addresses. Only the start of the file is read, so a huge file or one without
// line ends costs little.
bool ReadSampleUrls(const std::string& path, std::vector<std::string>* urls) {
  if (!ReadAddressFile(path, urls, {kMaxUrlsFileBytes, kMaxSampleUrls})) {
    std::fprintf(stderr, "zelkctl report: cannot read %s\n", path.c_str());
    return false;
  }
  if (urls->empty()) {
    std::fprintf(stderr, "zelkctl report: %s holds no address\n", path.c_str());
    return false;
  }
  return true;
}

int RunReport(Invocation& invocation) {
  ReportArguments arguments;
  ReportRequest request;
  if (invocation.json) {
    std::fprintf(stderr, "zelkctl report: the report is HTML; settings --json gives the values\n");
    return kExitUsage;
  }
  if (!ParseArguments(invocation.args, &arguments) ||
      (!arguments.urls_file.empty() &&
       !ReadSampleUrls(arguments.urls_file, &request.sample_urls))) {
    return kExitUsage;
  }
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  request.library_path = invocation.library_path;
  const std::string page = RenderReportPage(GatherReport(invocation.library, request));
  if (!WriteOutput(arguments.output, page)) {
    std::fprintf(stderr, "zelkctl report: cannot write %s\n", arguments.output.c_str());
    return kExitUsage;
  }
  if (!arguments.output.empty()) {
    PrintLine("report written to " + arguments.output);
  }
  return kExitOk;
}

}  // namespace

const Command kReportCommand = {
    "report", "[-o FILE] [--urls FILE]",
    "one HTML page showing the kiosk as the visitor meets it: menus, settings, filter "
    "answers and the denied page (--urls: the addresses to try, one a line)",
    RunReport};

}  // namespace zelk::tools
