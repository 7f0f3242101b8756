// Figures for zelkctl import at the sizes of real block lists: generated domain and hosts
// lists turned into rules, the lint of the result, the load of the rules followed by an
// allow-all rule, and one address check against all of it. Prints one line per figure;
// it asserts nothing.
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
std::string GeneratedName(size_t i) {
  static const char* const kWords[] = {"ads", "track", "cdn", "pixel", "stats", "media", "click"};
  return std::string(kWords[i % 7]) + "-" + std::to_string(i / 7) + ".net" +
         std::to_string(i % 97) + ".example";
}

// One generated list: its format, size, and the line an entry takes.
struct ListCase {
  zelk::tools::ListFormat format;
  size_t entries;
  const char* entry_prefix;
};

constexpr ListCase kLists[] = {
    {zelk::tools::ListFormat::kDomains, 100'000, ""},
    {zelk::tools::ListFormat::kHosts, 150'000, "0.0.0.0 "},
    {zelk::tools::ListFormat::kDomains, 1'000'000, ""},
};

std::vector<std::string> GeneratedList(const ListCase& list) {
  std::vector<std::string> lines = {"# generated block list"};
  lines.reserve(list.entries + 1);
  for (size_t i = 0; i < list.entries; ++i) {
    lines.push_back(list.entry_prefix + GeneratedName(i));
  }
  return lines;
}

void CheckOnce(const zelk::CompiledFilterList& list, const std::u16string& address) {
  zelk::UrlCheckInput input;
  input.list = &list;
  input.address = address;
  const Clock::time_point start = Clock::now();
  const zelk::UrlDecision decision = zelk::DecideUrl(input);
  std::printf("  check of %s: %s after %llu steps (%s), %.3f ms\n", zelk::ToUtf8(address).c_str(),
              decision.allow ? "allowed" : "refused",
              static_cast<unsigned long long>(decision.steps),
              decision.reason == zelk::DecisionReason::kBudgetExhausted ? "the step budget ran out"
                                                                        : "decided",
              MillisecondsSince(start));
}

void Measure(const ListCase& list) {
  using namespace zelk;
  using namespace zelk::tools;
  const ListSource source{"generated.txt", list.format, false, GeneratedList(list)};
  Clock::time_point start = Clock::now();
  const ImportResult result = ImportLists({source});
  std::printf("%zu %s entries\n  import: %zu rules, %zu skipped, %.1f ms\n", list.entries,
              ListFormatName(list.format), result.rules, result.skipped.size(),
              MillisecondsSince(start));

  std::vector<std::u16string> lines;
  lines.reserve(result.filter_lines.size() + 1);
  for (const std::string& line : result.filter_lines) {
    lines.push_back(FromUtf8(line));
  }
  lines.push_back(u"+all");
  start = Clock::now();
  const LintReport report = LintFilterLines(lines);
  std::printf("  lint: %zu finding(s), %.1f ms\n", report.findings.size(),
              MillisecondsSince(start));
  start = Clock::now();
  const CompiledFilterListPtr compiled = CompileFilterList(lines);
  std::printf("  load of the rules and +all: %.1f ms\n", MillisecondsSince(start));
  CheckOnce(*compiled, u"https://" + FromUtf8(GeneratedName(list.entries / 2)) + u"/x");
  CheckOnce(*compiled, u"https://www.news.example.org/articles/2024/today.html");
}

}  // namespace

int main() {
  for (const ListCase& list : kLists) {
    Measure(list);
  }
  return 0;
}
