#include "tools/zelkctl/report/report_page.h"

#include <string>

namespace zelk::tools {
namespace {

void RenderHeader(const ReportModel& model, HtmlBuilder& html) {
  html.Open("div", {{"class", "header"}});
  html.Element("h1", {}, model.title.empty() ? "Kiosk report" : "Kiosk report: " + model.title);
  html.Open("table", {{"class", "facts"}});
  html.Open("tr").Element("th", {}, "zelk.ini").Open("td").Element("code", {}, model.ini_path);
  html.Text(model.ini_found ? "" : " (missing: defaults and registry only)").Close("td");
  html.Close("tr");
  html.Open("tr").Element("th", {}, "Library").Open("td").Element("code", {}, model.library_path);
  html.Close("td").Close("tr");
  html.Open("tr").Element("th", {}, "About").Element("td", {}, model.about).Close("tr");
  html.Close("table").Close("div");
}

void RenderFindings(const std::vector<Finding>& findings, HtmlBuilder& html) {
  html.Open("div", {{"class", "part"}, {"id", "findings"}});
  html.Element("h2", {}, "Configuration check");
  if (findings.empty()) {
    html.Element("p", {{"class", "clean"}},
                 "No findings: the configuration reads as it is written.");
  } else {
    html.Open("ul", {{"class", "findings"}});
    for (const Finding& finding : findings) {
      html.Open("li", {{"class", finding.error ? "error" : "warning"}});
      html.Element("code", {}, finding.where).Markup(" ");
      html.Element("b", {}, finding.error ? "error:" : "warning:").Markup(" ");
      html.Text(finding.message).Close("li");
    }
    html.Close("ul");
  }
  html.Close("div");
}

void RenderSetting(const SettingLine& line, HtmlBuilder& html) {
  html.Open("tr", {{"class", line.warning.empty() ? "setting" : "setting warned"}});
  html.Element("td", {}, line.section).Element("td", {}, line.key);
  html.Open("td").Element("code", {}, line.text ? "\"" + line.value + "\"" : line.value);
  html.Close("td").Element("td", {}, line.source);
  html.Element("td", {{"class", "warning"}}, line.warning).Close("tr");
}

void RenderSettings(const ReportModel& model, HtmlBuilder& html) {
  html.Open("div", {{"class", "part"}, {"id", "settings"}});
  html.Element("h2", {}, "Other settings");
  html.Open("table", {{"class", "list settings"}});
  html.Markup("<tr><th>Section</th><th>Key</th><th>Value</th><th>Source</th><th></th></tr>");
  for (const SettingLine& line : model.settings) {
    RenderSetting(line, html);
  }
  html.Close("table").Close("div");
}

}  // namespace

std::string RenderReportPage(const ReportModel& model) {
  HtmlBuilder html;
  html.Markup("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">");
  html.Element("title", {}, "Zelk report" + (model.title.empty() ? "" : ": " + model.title));
  html.Markup("<style>").Markup(kReportStyle).Markup("</style></head>\n<body>\n");
  RenderHeader(model, html);
  if (model.findings.has_value()) {
    RenderFindings(*model.findings, html);
  }
  RenderMenus(model, html);
  RenderSettings(model, html);
  RenderFilter(model, html);
  RenderDeniedPage(model, html);
  html.Element("p", {{"class", "footer"}}, "Written by zelkctl report.");
  html.Markup("\n</body></html>\n");
  return html.html();
}

}  // namespace zelk::tools
