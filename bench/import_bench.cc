// Figures for zelkctl import: a generated domain list of 100,000 entries turned into rules,
// the lint of the result, and one address check against all of it. Prints one line per
// figure; it asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/text.h"
#include "tools/zelkctl/import/list_import.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/url_decision.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Names of the kind block lists hold: a few labels, digits, hyphens, some duplicates.
std::vector<std::string> GeneratedDomains(size_t count) {
  static const char* const kWords[] = {"ads", "track", "cdn", "pixel", "stats", "media", "click"};
  std::vector<std::string> lines = {"# generated block list"};
  for (size_t i = 0; i < count; ++i) {
    lines.push_back(std::string(kWords[i % 7]) + "-" + std::to_string(i / 7) + ".net" +
                    std::to_string(i % 97) + ".example");
  }
  return lines;
}

}  // namespace

int main() {
  using namespace zelk;
  using namespace zelk::tools;
  constexpr size_t kEntries = 100'000;
  ListSource source{"generated.txt", ListFormat::kDomains, false, GeneratedDomains(kEntries)};

  Clock::time_point start = Clock::now();
  const ImportResult result = ImportLists({source});
  std::printf("import of %zu domain entries: %zu rules, %zu skipped, %.1f ms\n", kEntries,
              result.rules, result.skipped.size(), MillisecondsSince(start));

  std::vector<std::u16string> lines;
  for (const std::string& line : result.filter_lines) {
    lines.push_back(FromUtf8(line));
  }
  lines.push_back(u"+all");
  start = Clock::now();
  const LintReport report = LintFilterLines(lines);
  std::printf("lint of the imported rules: %zu finding(s), %.1f ms\n", report.findings.size(),
              MillisecondsSince(start));

  for (const std::u16string& address :
       {std::u16string(u"https://ads-0.net0.example/x"),
        std::u16string(u"https://www.news.example.org/articles/2024/today.html")}) {
    start = Clock::now();
    const CompiledFilterListPtr list = CompileFilterList(lines);
    std::printf("compile of the imported rules: %.1f ms\n", MillisecondsSince(start));
    UrlCheckInput input;
    input.list = list.get();
    input.address = address;
    start = Clock::now();
    const UrlDecision decision = DecideUrl(input);
    std::printf(
        "check of %s: %s after %llu steps (%s), %.1f ms\n", ToUtf8(address).c_str(),
        decision.allow ? "allowed" : "refused", static_cast<unsigned long long>(decision.steps),
        decision.reason == DecisionReason::kBudgetExhausted ? "the step budget ran out" : "decided",
        MillisecondsSince(start));
  }
  return 0;
}
