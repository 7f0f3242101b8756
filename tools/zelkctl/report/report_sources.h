// Gathers what the report shows from an installation: doctor's findings, the record, the command
// answers and the address answers through the library's exports, exactly as the browser gets them;
// the sources of the values, the filter's rules and its test cases through the library's own
// readers and check, built from the same sources as the loaded library.
#ifndef ZELK_TOOLS_ZELKCTL_REPORT_REPORT_SOURCES_H_
#define ZELK_TOOLS_ZELKCTL_REPORT_REPORT_SOURCES_H_

#include <string>
#include <vector>

#include "tools/zelkctl/report/report_model.h"
#include "tools/zelkctl/support/host_library.h"
#include "zelk/zelk.h"

namespace zelk::tools {

struct ReportRequest {
  std::string library_path;
  // The addresses to try; empty for the installation's own pages and two outside ones.
  std::vector<std::string> sample_urls;
};

// Everything the page shows, doctor's findings included.
ReportModel GatherReport(HostLibrary& library, const ReportRequest& request);

// The addresses tried when none are named: the new-tab and help pages the record names,
// then an outside site and a download from it.
std::vector<std::string> DefaultSampleUrls(const HostSettingsBlock& record);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_REPORT_REPORT_SOURCES_H_
