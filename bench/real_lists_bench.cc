// Figures for the address check on lists of the size and shape administrators bring:
// 100,000 and 1,000,000 imported domain rules, about 95,000 ad-block rules, and 10,000
// URL rules where hundreds share a host and a long path. Each list is written by zelkctl's
// importer (or as a URL list is written by hand), saved to a file and loaded as the
// library loads it. Addresses are mostly matched by no rule. Prints, per list: time per
// check (median, p99, max), budget refusals, answers that differ from the walk without
// the index on a sample, load time and resident memory against the list's text; then the
// hostile rules on addresses of 1,000 and 100,000 characters. Asserts nothing.
//
// Usage: real_lists_bench [--quick] [--hostile-only] [--load-only] [--addresses N]
//   --quick leaves out the 1,000,000-rule list; --hostile-only runs the hostile rules alone;
//   --load-only loads each list and prints its load figures, no checks; N addresses per
//   list (20,000 by default).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "bench_support.h"
#include "common/text.h"
#include "config/config_source.h"
#include "tests/support/reference_walks.h"
#include "tools/zelkctl/import/list_import.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_decision.h"

namespace zelk {
namespace {

using bench::Figures;
using bench::ListFile;
using bench::ResidentBytes;
using bench::Summarise;
using bench::TimeUs;

// Bytes the heap has handed out and not taken back (glibc; large blocks, a list's text or
// its index, are mapped on their own and counted apart), the heap in use on Windows, else
// resident memory.
size_t HeapBytes();

size_t HeapBytes() {
#if defined(__GLIBC__)
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#elif defined(_WIN32)
  return bench::HeapInUseBytes();
#else
  return ResidentBytes();
#endif
}

const char* const kWords[] = {"ads",   "track", "pixel", "stats",  "media",  "click", "cdn",
                              "promo", "count", "beam",  "metric", "banner", "tag",   "serve"};
const char* const kTlds[] = {"com", "net", "org", "ru", "de", "info", "xyz", "io", "co.uk"};
constexpr int kWordCount = sizeof(kWords) / sizeof(kWords[0]);
constexpr int kTldCount = sizeof(kTlds) / sizeof(kTlds[0]);

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::string Word() { return kWords[Below(kWordCount)]; }
  std::string Letters(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      text += static_cast<char>('a' + Below(26));
    }
    return text;
  }
  std::string Hex(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      text += "0123456789abcdef"[Below(16)];
    }
    return text;
  }
  // Names as block lists hold them: a word or random letters, digits, a hyphen, a TLD.
  std::string Domain() {
    std::string name = Below(2) ? Word() + std::to_string(Below(100000)) : Letters(5 + Below(8));
    if (Below(3) == 0) {
      name += "-" + Letters(3 + Below(5));
    }
    if (Below(4) == 0) {
      name = Letters(2 + Below(4)) + "." + name;
    }
    return name + "." + kTlds[Below(kTldCount)];
  }
  std::string Uuid() { return Hex(8) + "-" + Hex(4) + "-" + Hex(4) + "-" + Hex(4) + "-" + Hex(12); }
  // An address on a site no list names: a few path segments, a query half of the time.
  std::string Address(const std::string& host) {
    std::string address = (Below(3) ? "https://" : "http://") + host;
    for (int parts = 1 + Below(5); parts > 0; --parts) {
      address += "/" + (Below(3) == 0 ? Letters(4 + Below(8)) : Word() + std::to_string(Below(99)));
    }
    if (Below(2) == 0) {
      address += "?id=" + std::to_string(Below(1000000)) + "&ref=" + Letters(6);
    }
    return address;
  }
  std::string OtherSite() { return (Below(2) ? "www." : "") + Letters(4 + Below(10)) + ".example"; }

 private:
  std::mt19937 random_;
};

struct BenchList {
  std::string name;
  std::vector<std::string> lines;      // the filter file
  std::vector<std::string> addresses;  // to check
};

std::vector<std::string> Imported(tools::ListFormat format, std::vector<std::string> entries) {
  tools::ListSource source{"generated", format, false, std::move(entries)};
  tools::ImportResult result = tools::ImportLists({source});
  result.filter_lines.push_back("+all");
  return std::move(result.filter_lines);
}

// `entries` domain names imported as a domain list; addresses on other sites, one in
// twenty on a listed domain or a name under one.
BenchList DomainList(size_t entries, size_t addresses) {
  Generator generator(static_cast<uint32_t>(entries));
  std::vector<std::string> domains;
  for (size_t i = 0; i < entries; ++i) {
    domains.push_back(generator.Domain());
  }
  BenchList list{std::to_string(entries) + " imported domain rules", {}, {}};
  for (size_t i = 0; i < addresses; ++i) {
    const bool listed = generator.Below(20) == 0;
    const std::string host = listed ? (generator.Below(2) ? "www." : "") +
                                          domains[generator.Below(static_cast<int>(entries))]
                                    : generator.OtherSite();
    list.addresses.push_back(generator.Address(host));
  }
  list.lines = Imported(tools::ListFormat::kDomains, std::move(domains));
  return list;
}

// One ad-block entry: host rules with and without a path, keywords anywhere in the address.
std::string AdblockEntry(Generator* generator) {
  const int pick = generator->Below(100);
  const std::string word = generator->Word();
  if (pick < 50) {
    return "||" + generator->Domain() + "^";
  }
  if (pick < 65) {
    return "||" + generator->Domain() + "/" + word + "/" +
           generator->Letters(3 + generator->Below(6));
  }
  if (pick < 80) {
    return "/" + word + generator->Letters(2 + generator->Below(4)) + "/";
  }
  if (pick < 90) {
    return "-" + word + "-" + generator->Letters(3 + generator->Below(5)) + ".";
  }
  return "&" + word + generator->Letters(2 + generator->Below(4)) + "=";
}

// About 95,000 ad-block entries imported, and 300 rules written by hand that hold no
// text of their own (numeric hosts, long numbers).
BenchList AdblockList(size_t addresses) {
  Generator generator(95000);
  std::vector<std::string> entries = {"[Adblock Plus 2.0]"};
  for (int i = 0; i < 95000; ++i) {
    entries.push_back(AdblockEntry(&generator));
  }
  BenchList list{"95,000 ad-block rules", Imported(tools::ListFormat::kAbp, entries), {}};
  list.lines.pop_back();
  for (int i = 0; i < 300; ++i) {
    const int digits = 6 + i % 10;
    std::string rule = i % 2 ? "-^[a-z]+://\\d+\\.\\d+\\.\\d+\\.\\d+[/:]" : "-[/=]";
    for (int d = 0; d < (i % 2 ? 1 : digits); ++d) {
      rule += "\\d";
    }
    list.lines.push_back(rule + (i % 3 ? "[&/]" : "$"));
  }
  list.lines.push_back("+all");
  for (size_t i = 0; i < addresses; ++i) {
    list.addresses.push_back(generator.Address(generator.OtherSite()));
  }
  return list;
}

// 10,000 file URLs as a malware list holds them: 25 hosts with 400 files each under one
// long path; addresses on those hosts (other files, a few listed) and elsewhere.
BenchList UrlList(size_t addresses) {
  Generator generator(10000);
  std::vector<std::string> hosts;
  for (int i = 0; i < 25; ++i) {
    hosts.push_back("img" + std::to_string(i) + ".files" + generator.Letters(4) + ".com");
  }
  BenchList list{"10,000 URL rules on 25 hosts", {"; malware files"}, {}};
  std::vector<std::string> urls;
  for (int i = 0; i < 10000; ++i) {
    const std::string& host = hosts[i % 25];
    const std::string path =
        "/blobby/go/" + generator.Uuid() + "/downloads/" + generator.Letters(8) + ".exe";
    urls.push_back("https://" + host + path);
    std::string escaped_host = host;
    for (size_t dot = escaped_host.find('.'); dot != std::string::npos;
         dot = escaped_host.find('.', dot + 2)) {
      escaped_host.insert(dot, "\\");
    }
    std::string escaped_path = path;
    escaped_path.insert(escaped_path.rfind('.'), "\\");
    list.lines.push_back("-^https?://([a-z0-9_\\-]+\\.)*" + escaped_host + escaped_path);
  }
  list.lines.push_back("+all");
  for (size_t i = 0; i < addresses; ++i) {
    const int pick = generator.Below(10);
    if (pick == 0) {
      list.addresses.push_back(urls[generator.Below(10000)]);
    } else if (pick < 6) {
      list.addresses.push_back("https://" + hosts[generator.Below(25)] + "/blobby/go/" +
                               generator.Uuid() + "/downloads/" + generator.Letters(8) + ".exe");
    } else {
      list.addresses.push_back(generator.Address(generator.OtherSite()));
    }
  }
  return list;
}

bool SameAnswer(const UrlDecision& a, const UrlDecision& b) {
  return a.allow == b.allow && a.reason == b.reason &&
         (a.reason == DecisionReason::kDefaultRule ? a.default_line_index == b.default_line_index
                                                   : a.line_index == b.line_index);
}

// The source loaded from `file` as the first address check loads it.
// `held` is what the loaded list keeps on the heap; `peak` the resident growth while loading.
std::unique_ptr<ConfigSource> Load(const ListFile& file, double* ms, size_t* held, size_t* peak) {
  auto source = std::make_unique<ConfigSource>();
  source->settings_copy.check_url_access = 1;
  source->filter_file_path = file.library_path();
  const size_t resident = ResidentBytes();
  const size_t heap = HeapBytes();
  int loaded = 0;
  *ms = TimeUs([&] { loaded = LoadFilterList(*source); }) / 1000;
  *held = HeapBytes() - heap;
  *peak = ResidentBytes() - resident;
  return loaded == 1 ? std::move(source) : nullptr;
}

void RunList(const BenchList& list, size_t sampled, bool load_only) {
  std::printf("== %s: %zu lines, %zu addresses\n", list.name.c_str(), list.lines.size(),
              list.addresses.size());
  const ListFile file("zelk-real-list-" + std::to_string(list.lines.size()) + ".txt", list.lines);
  double load_ms = 0;
  size_t held = 0;
  size_t peak = 0;
  const std::unique_ptr<ConfigSource> source = Load(file, &load_ms, &held, &peak);
  if (source == nullptr || source->filter_list == nullptr) {
    std::printf("  the list could not be loaded and compiled\n");
    return;
  }
  const double text = static_cast<double>(file.bytes());
  std::printf(
      "  load from the file (%.1f MB of text): %.0f ms; held %.1f MB = %.2fx the text "
      "(resident growth %.2fx), %.1f MB of it programs and index; %zu rules always tried\n",
      text / 1048576.0, load_ms, held / 1048576.0, held / text, peak / text,
      source->filter_list->memory() / 1048576.0, source->filter_list->always_tried_count());
  std::printf("  held by part:");
  for (const CompiledFilterList::MemoryPart& part : source->filter_list->MemoryParts()) {
    std::printf(" %s %.1f MB", part.name, part.bytes / 1048576.0);
  }
  std::printf("\n");
  if (load_only) {
    return;
  }
  UrlCheckInput input;
  input.list = source->filter_list.get();
  std::vector<double> times;
  std::vector<UrlDecision> decisions;
  size_t refusals = 0;
  size_t matched = 0;
  size_t most_tried = 0;
  for (const std::string& url : list.addresses) {
    const std::u16string address = FromUtf8(url);
    input.address = address;
    UrlDecision decision;
    times.push_back(TimeUs([&] { decision = DecideUrl(input); }));
    refusals += decision.reason == DecisionReason::kBudgetExhausted ? 1 : 0;
    matched += decision.reason == DecisionReason::kRuleMatched ? 1 : 0;
    most_tried = std::max(most_tried, decision.rules_tried);
    decisions.push_back(std::move(decision));
  }
  const Figures f = Summarise(times);
  std::printf(
      "  check: median %.2f us, p99 %.2f us, max %.2f us; budget refusals %zu; "
      "%zu matched a rule; at most %zu rules tried\n",
      f.median_us, f.p99_us, f.max_us, refusals, matched, most_tried);
  UrlCheckInput walk = input;
  walk.step_budget = kUnlimitedSteps;
  size_t differ = 0;
  size_t compared = 0;
  const double walk_ms =
      TimeUs([&] {
        for (size_t i = 0; i < list.addresses.size(); i += list.addresses.size() / sampled) {
          const std::u16string address = FromUtf8(list.addresses[i]);
          walk.address = address;
          differ += SameAnswer(WalkCompiledRules(walk), decisions[i]) ? 0 : 1;
          ++compared;
        }
      }) /
      1000;
  std::printf("  answers differing from the walk without the index: %zu of %zu (%.0f ms)\n", differ,
              compared, walk_ms);
}

// A hostile rule and the address that makes it work hardest, at a given length.
struct HostileCase {
  const char* name;
  std::string rule;
  std::function<std::string(size_t)> address;
};

std::string Repeat(const std::string& unit, size_t length) {
  std::string text;
  while (text.size() < length) {
    text += unit;
  }
  text.resize(length);
  return text;
}

// A run of "a" that no "b" follows, with a "b" after it all: the search cannot stop before
// the run's end because the rule's last character is missing.
std::string RunOfAThenB(size_t length) {
  return "http://x/" + std::string(length - 11, 'a') + "/b";
}

std::vector<HostileCase> HostileCases() {
  std::string alternatives;
  for (int i = 0; i < 10000; ++i) {
    alternatives += (i == 0 ? "(w" : "|(w") + std::to_string(i) + "x)";
  }
  std::string nested(40, '(');
  nested += "a" + std::string(40, ')') + "b";
  return {
      {".*/download/.*\\.exe$", "-.*/download/.*\\.exe$",
       [](size_t n) { return "http://b/" + Repeat("download/x.exe/", n - 9); }},
      {"(a+)+b", "-(a+)+b", RunOfAThenB},
      {"((a)|(aa))*b", "-((a)|(aa))*b", RunOfAThenB},
      {"(a|aa)*b", "-(a|aa)*b", RunOfAThenB},
      {"40 nested groups, then b", "-" + nested, RunOfAThenB},
      {"10,000 alternatives", "-" + alternatives,
       [](size_t n) { return "http://b/w7x" + Repeat("w12", n - 12); }},
      {"10,000 alternatives, 30 characters", "-" + alternatives,
       [](size_t) { return std::string("http://www.example.org/w7/x?a"); }},
      {"[^/]*x[^/]*y[^/]*z", "-[^/]*x[^/]*y[^/]*z",
       [](size_t n) { return "http://b/" + Repeat("xy", n - 11) + "/z"; }},
  };
}

double HostileMs(const CompiledFilterList& compiled,
                 const std::string& url,
                 UrlDecision* decision) {
  UrlCheckInput input;
  input.list = &compiled;
  const std::u16string address = FromUtf8(url);
  input.address = address;
  return TimeUs([&] { *decision = DecideUrl(input); }) / 1000;
}

void RunHostile() {
  std::printf("== hostile rules (one check each, list loaded beforehand)\n");
  for (const HostileCase& c : HostileCases()) {
    const std::vector<std::u16string> lines = {FromUtf8(c.rule), u"+all"};
    const CompiledFilterListPtr compiled = CompileFilterList(lines);
    UrlDecision short_decision;
    UrlDecision long_decision;
    const double short_ms = HostileMs(*compiled, c.address(1000), &short_decision);
    const double long_ms = HostileMs(*compiled, c.address(100000), &long_decision);
    std::printf("  %-36s 1,000: %8.3f ms  100,000: %8.3f ms  growth %6.1fx  %s%s\n", c.name,
                short_ms, long_ms, long_ms / std::max(short_ms, 1e-6),
                long_decision.allow ? "allowed" : "refused",
                long_decision.reason == DecisionReason::kBudgetExhausted ||
                        short_decision.reason == DecisionReason::kBudgetExhausted
                    ? " (budget)"
                    : "");
  }
}

}  // namespace
}  // namespace zelk

int main(int argc, char** argv) {
  bool quick = false;
  bool hostile_only = false;
  bool load_only = false;
  size_t addresses = 20000;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else if (std::strcmp(argv[i], "--hostile-only") == 0) {
      hostile_only = true;
    } else if (std::strcmp(argv[i], "--load-only") == 0) {
      load_only = true;
    } else if (std::strcmp(argv[i], "--addresses") == 0 && i + 1 < argc) {
      addresses = std::max<size_t>(20, std::strtoul(argv[++i], nullptr, 10));
    }
  }
  if (hostile_only) {
    zelk::RunHostile();
    return 0;
  }
  const size_t sampled = std::min<size_t>(50, addresses / 4);
  zelk::RunList(zelk::DomainList(100000, addresses), sampled, load_only);
  if (!quick) {
    zelk::RunList(zelk::DomainList(1000000, addresses), sampled / 10, load_only);
  }
  zelk::RunList(zelk::AdblockList(addresses), sampled, load_only);
  zelk::RunList(zelk::UrlList(addresses), sampled, load_only);
  if (!load_only) {
    zelk::RunHostile();
  }
  return 0;
}
