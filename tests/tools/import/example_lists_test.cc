// The lists in examples/lists, imported as the demo imports them into the example kiosk's
// filter, lint clean and refuse and allow what their entries say, through the library's
// check; the kiosk's own filter keeps passing its tests with them and without them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/configured_host.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/import/list_import.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "urlfilter/url_check.h"

namespace zelk::tools {
namespace {

using zelk::testing::ReadFile;
using zelk::testing::Utf8;

const std::filesystem::path kExamples = std::filesystem::path(ZELK_SOURCE_DIR) / "examples";
constexpr char kImportMarker[] = "; Lists imported with zelkctl import go here";

ListSource Example(const char* name, ListFormat format, bool allow) {
  return ListSource{std::string("lists/") + name, format, allow,
                    Lines(ReadFile(kExamples / "lists" / name))};
}

// The kiosk's filter with the imported rules below the marker line, as the demo builds it.
std::vector<std::string> ComposedFilter(ImportResult* result) {
  *result = ImportLists({Example("hosts.txt", ListFormat::kHosts, false),
                         Example("domains.txt", ListFormat::kDomains, false),
                         Example("allow-policy.txt", ListFormat::kPolicy, true)});
  std::vector<std::string> filter;
  for (const std::string& line : Lines(ReadFile(kExamples / "kiosk" / "filter.txt"))) {
    filter.push_back(line);
    if (line.rfind(kImportMarker, 0) == 0) {
      filter.insert(filter.end(), result->filter_lines.begin(), result->filter_lines.end());
    }
  }
  return filter;
}

class ExampleListsTest : public zelk::testing::ConfiguredHostTest {
 protected:
  bool Allowed(const std::vector<std::string>& filter, const std::string& url) {
    InstallFilter(filter);
    return CheckUrlAllows(url);
  }
};

TEST_F(ExampleListsTest, TheKioskFilterHoldsTheMarkerAndPassesItsTests) {
  const std::vector<std::string> filter = Lines(ReadFile(kExamples / "kiosk" / "filter.txt"));
  size_t markers = 0;
  for (const std::string& line : filter) {
    markers += line.rfind(kImportMarker, 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(1u, markers);
  const LintReport report = LintFilterLines(WideLines(filter));
  EXPECT_TRUE(report.findings.empty());
  EXPECT_FALSE(report.expectations.empty());
}

TEST_F(ExampleListsTest, ImportedListsLintCleanAndSayWhatTheirEntriesSay) {
  ImportResult result;
  const std::vector<std::string> filter = ComposedFilter(&result);
  EXPECT_EQ(12u, result.rules);
  EXPECT_EQ(2u, result.duplicates);
  ASSERT_EQ(1u, result.skipped.size());  // the printer's name, sent to an address
  EXPECT_EQ(13u, result.skipped[0].line);
  const LintReport report = LintFilterLines(WideLines(filter));
  for (const LintFinding& finding : report.findings) {
    ADD_FAILURE() << finding.line << ": " << finding.message;
  }
  for (const ExpectationResult& expectation : report.expectations) {
    EXPECT_TRUE(expectation.passed) << Utf8(expectation.url);
  }
  const struct {
    const char* url;
    bool allowed;
  } kVisits[] = {
      {"https://catalogue.citylibrary.example/search?q=dickens", true},
      {"https://ads.citylibrary.example/banner?id=7", false},
      {"https://stats.citylibrary.example/collect", false},
      {"https://www.museum.example/exhibitions", true},
      {"https://www.openlibrary.example/books/dickens", true},
      {"https://www.openlibrary.example/account", false},
      {"http://archive.example:8080/1850/", true},
      {"http://archive.example/1850/", false},
      {"https://maps.example/city", true},
      {"https://tiles.maps.example/1/2/3.png", false},
      {"https://evil.example/?museum.example", false},
      {"http://museum.example@evil.example/", false},
      {"https://www.museum.example/files/setup.exe", false},  // downloads stay refused
  };
  for (const auto& visit : kVisits) {
    EXPECT_EQ(visit.allowed, Allowed(filter, visit.url)) << visit.url;
  }
}

}  // namespace
}  // namespace zelk::tools
