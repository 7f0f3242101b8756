// The address filter's part of the report: the file, its rules, its own test cases, sample
// addresses with the line that decided each, and the denied page in a sandboxed frame.
#include <string>

#include "tools/zelkctl/report/report_page.h"

namespace zelk::tools {
namespace {

std::string Counted(size_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void Fact(const std::string& name, const std::string& value, HtmlBuilder& html) {
  html.Open("tr").Element("th", {}, name).Element("td", {}, value).Close("tr");
}

void RenderFacts(const FilterSummary& filter, HtmlBuilder& html) {
  html.Open("table", {{"class", "facts"}});
  Fact("Address check (CheckURLAccess)", filter.checking ? "on" : "off", html);
  Fact("Filter file (CheckURLFile)", filter.file.empty() ? "none" : filter.file, html);
  const bool read = filter.checking && filter.loaded && !filter.file.empty();
  if (!filter.file.empty()) {
    Fact("Read by the library",
         read              ? "yes"
         : filter.checking ? "no: the browser shows About:Blank"
                           : "no: the address check is off",
         html);
  }
  if (read) {
    Fact("Rules",
         Counted(filter.pattern_rules, "pattern rule") + ", " +
             Counted(filter.default_rules, "default rule") + ", " + Counted(filter.lines, "line"),
         html);
    Fact("Default answer", filter.default_answer, html);
  }
  html.Close("table");
}

void RenderExpectations(const FilterSummary& filter, HtmlBuilder& html) {
  html.Element("h3", {}, "Test cases of the file (;expect)");
  if (filter.expectations.empty()) {
    html.Element("p", {}, "The file holds no ;expect lines.");
    return;
  }
  html.Open("table", {{"class", "list expectations"}});
  html.Markup("<tr><th>Line</th><th>Expects</th><th>Address</th><th>Result</th><th>Why</th></tr>");
  for (const ExpectationLine& e : filter.expectations) {
    html.Open("tr", {{"class", e.passed ? "passed" : "failed"}});
    html.Element("td", {}, std::to_string(e.line));
    html.Element("td", {}, e.expect_allow ? "allow" : "deny");
    html.Open("td").Element("code", {}, e.url).Close("td");
    html.Element(
        "td", {{"class", "result"}},
        std::string(e.passed ? "passed" : "FAILED") + ": " + (e.allowed ? "allowed" : "refused"));
    html.Element("td", {}, e.explanation).Close("tr");
  }
  html.Close("table");
}

const char* OutcomeText(SampleAnswer::Outcome outcome) {
  switch (outcome) {
    case SampleAnswer::Outcome::kAllowed:
      return "allowed";
    case SampleAnswer::Outcome::kRefused:
      return "refused";
    case SampleAnswer::Outcome::kListNotLoaded:
      return "About:Blank (filter file not read)";
  }
  return "";
}

void RenderSamples(const std::vector<SampleAnswer>& samples, HtmlBuilder& html) {
  html.Element("h3", {}, "Sample addresses, asked through CheckURL");
  html.Open("table", {{"class", "list samples"}});
  html.Markup("<tr><th>Address</th><th>Answer</th><th>Decided by</th></tr>");
  for (const SampleAnswer& sample : samples) {
    const char* outcome = OutcomeText(sample.outcome);
    html.Open("tr", {{"class",
                      sample.outcome == SampleAnswer::Outcome::kAllowed ? "allowed" : "refused"}});
    html.Open("td").Element("code", {}, sample.url).Close("td");
    html.Element("td", {{"class", "result"}}, outcome).Element("td", {}, sample.why).Close("tr");
  }
  html.Close("table");
}

const SampleAnswer* FirstRefused(const std::vector<SampleAnswer>& samples) {
  for (const SampleAnswer& sample : samples) {
    if (sample.outcome == SampleAnswer::Outcome::kRefused) {
      return &sample;
    }
  }
  return nullptr;
}

}  // namespace

void RenderFilter(const ReportModel& model, HtmlBuilder& html) {
  html.Open("div", {{"class", "part"}, {"id", "filter"}});
  html.Element("h2", {}, "Address filter");
  RenderFacts(model.filter, html);
  if (model.filter.checking && model.filter.loaded && !model.filter.file.empty()) {
    RenderExpectations(model.filter, html);
  }
  RenderSamples(model.samples, html);
  html.Close("div");
}

// The page goes into srcdoc as an escaped attribute, and the frame is sandboxed without
// allow-scripts: its markup and style show as the visitor will see them, its scripts never
// run, and it cannot reach this report.
void RenderDeniedPage(const ReportModel& model, HtmlBuilder& html) {
  html.Open("div", {{"class", "part"}, {"id", "denied-page"}});
  html.Element("h2", {}, "Denied page");
  const SampleAnswer* refused = FirstRefused(model.samples);
  if (refused == nullptr) {
    html.Element("p", {},
                 "No sample address is refused, so no denied page is shown. Name a refused "
                 "address with --urls to see the page.");
    html.Close("div");
    return;
  }
  html.Open("p").Text("What the browser shows in place of ");
  html.Element("code", {}, refused->url).Text(" (its scripts do not run here):").Close("p");
  html.Open("iframe", {{"class", "denied"},
                       {"sandbox", ""},
                       {"srcdoc", refused->page},
                       {"title", "Denied page for " + refused->url}});
  html.Close("iframe");
  html.Element("h3", {}, "The text the browser receives");
  html.Element("pre", {{"class", "source"}}, refused->page);
  html.Close("div");
}

}  // namespace zelk::tools
