// zelkctl's report as one self-contained HTML page: no script, no request, the style inline.
// Pure code: the page is drawn from the model alone.
#ifndef ZELK_TOOLS_ZELKCTL_REPORT_REPORT_PAGE_H_
#define ZELK_TOOLS_ZELKCTL_REPORT_REPORT_PAGE_H_

#include <string>

#include "tools/zelkctl/report/html_builder.h"
#include "tools/zelkctl/report/report_model.h"

namespace zelk::tools {

std::string RenderReportPage(const ReportModel& model);

// The parts of the page, each drawn into `html`.
void RenderMenus(const ReportModel& model, HtmlBuilder& html);
void RenderFilter(const ReportModel& model, HtmlBuilder& html);
void RenderDeniedPage(const ReportModel& model, HtmlBuilder& html);

// The page's style sheet.
extern const char kReportStyle[];

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_REPORT_REPORT_PAGE_H_
