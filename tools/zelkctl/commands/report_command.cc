// zelkctl report: one self-contained HTML page that shows the installation the way the
// visitor will meet it (menus with the entries taken away, the filter's answers, the denied
// page), for the administrator to read, print and keep with the deployment.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/report/report_page.h"
#include "tools/zelkctl/report/report_sources.h"

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

std::string Trimmed(const std::string& line) {
  const char* const kBlank = " \t\r\n\f\v";
  const size_t first = line.find_first_not_of(kBlank);
  return first == std::string::npos ? ""
                                    : line.substr(first, line.find_last_not_of(kBlank) - first + 1);
}

// One address a line; blank lines and lines starting with # are passed over. Only the
// start of the file is read, so a huge file or one without line ends costs little.
bool ReadSampleUrls(const std::string& path, std::vector<std::string>* urls) {
  std::ifstream in;
  if (!OpenInputFile(path, &in)) {
    std::fprintf(stderr, "zelkctl report: cannot read %s\n", path.c_str());
    return false;
  }
  std::string text(kMaxUrlsFileBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line) && urls->size() < kMaxSampleUrls;) {
    const std::string url = Trimmed(line);
    if (!url.empty() && url[0] != '#') {
      urls->push_back(url);
    }
  }
  if (urls->empty()) {
    std::fprintf(stderr, "zelkctl report: %s holds no address\n", path.c_str());
    return false;
  }
  return true;
}

bool WritePage(const std::string& path, const std::string& page) {
  std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
  out.write(page.data(), static_cast<std::streamsize>(page.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "zelkctl report: cannot write %s\n", path.c_str());
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
  if (arguments.output.empty()) {
    std::fwrite(page.data(), 1, page.size(), stdout);
    return kExitOk;
  }
  if (!WritePage(arguments.output, page)) {
    return kExitUsage;
  }
  PrintLine("report written to " + arguments.output);
  return kExitOk;
}

}  // namespace

const Command kReportCommand = {
    "report", "[-o FILE] [--urls FILE]",
    "one HTML page showing the kiosk as the visitor meets it: menus, settings, filter "
    "answers and the denied page (--urls: the addresses to try, one a line)",
    RunReport};

}  // namespace zelk::tools
