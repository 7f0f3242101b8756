// Figures for the address check at scale: generated lists of realistic rules (anchored host
// rules, path and query keywords, file types, a few broad rules) of 1,000, 10,000 and
// 40,000 lines against generated addresses, most of which no rule decides, so that a plain
// walk tries every rule. Each list is written to a file and loaded as the library loads
// it, a few times over. Beside the indexed check: the plain walk (the reference, on a
// sample of the addresses), and PCRE2 with and without its JIT walking the same rules
// translated. Prints figures; asserts nothing.
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/text.h"
#include "config/config_source.h"
#include "tests/support/reference_walks.h"
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

struct GeneratedList {
  std::vector<std::u16string> lines;  // this language, with marks
  std::vector<std::string> pcre;      // the same patterns for PCRE2, in order
  std::vector<bool> allow;
};

const char* const kWords[] = {"ads",   "track", "casino", "news",  "mail", "shop",
                              "video", "cdn",   "login",  "games", "wiki", "media"};
const char* const kTlds[] = {"com", "org", "example", "net"};

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::string Name() { return std::string(kWords[Below(12)]) + std::to_string(Below(5000)); }

  // Both forms of one rule: this language's and PCRE's (where "|" binds whole branches).
  void Rule(GeneratedList* list) {
    const std::string name = Name();
    const std::string tld = kTlds[Below(4)];
    std::string ours;
    std::string pcre;
    const int pick = Below(100);
    if (pick < 55) {
      ours = pcre = "^https?://([a-z0-9\\-]+\\.)*" + name + "\\." + tld + "[/:]";
    } else if (pick < 75) {
      ours = pcre = "/" + name + "/";
    } else if (pick < 88) {
      ours = pcre = "[?&]q=" + name;
    } else if (pick < 95) {
      ours = "/" + name + "\\.((exe)|(msi)|(zip))$";
      pcre = "/" + name + "\\.(exe|msi|zip)$";
    } else if (pick < 99) {
      ours = pcre = "^https?://[^/]*" + name;
    } else {
      ours = pcre = "[a-z]+\\d\\d\\d\\d/" + name;  // no literal text before the name
    }
    const bool allow = Below(3) == 0;
    list->lines.push_back(FromUtf8((allow ? "+" : "-") + ours));
    list->pcre.push_back(pcre);
    list->allow.push_back(allow);
  }

  std::string Address() {
    std::string address = Below(2) ? "https://" : "http://";
    for (int labels = Below(3); labels > 0; --labels) {
      address += std::string(kWords[Below(12)]) + ".";
    }
    address += Name() + "." + kTlds[Below(4)];
    for (int parts = 1 + Below(4); parts > 0; --parts) {
      address += "/" + (Below(4) == 0 ? Name() : std::string(kWords[Below(12)]));
    }
    if (Below(2) == 0) {
      address += "?q=" + Name() + "&page=" + std::to_string(Below(100)) + "&sort=year";
    }
    return address;
  }

 private:
  std::mt19937 random_;
};

GeneratedList MakeList(int rules, Generator* generator) {
  GeneratedList list;
  list.lines.push_back(u"; generated filter");
  list.pcre.push_back("");
  list.allow.push_back(false);
  for (int i = 0; i < rules; ++i) {
    generator->Rule(&list);
    if (i == rules / 2) {
      list.lines.push_back(u"+all");  // a default rule in the middle
      list.pcre.push_back("");
      list.allow.push_back(false);
    }
  }
  return list;
}

void Print(const char* what, const Figures& f, size_t count) {
  std::printf("  %-28s median %9.2f us  p99 %9.2f us  max %9.2f us  (%zu checks)\n", what,
              f.median_us, f.p99_us, f.max_us, count);
}

class PcreWalk {
 public:
  PcreWalk(const GeneratedList& list, bool jit) {
    for (size_t i = 0; i < list.pcre.size(); ++i) {
      if (list.pcre[i].empty()) {
        continue;
      }
      int error = 0;
      PCRE2_SIZE offset = 0;
      pcre2_code* code =
          pcre2_compile(reinterpret_cast<PCRE2_SPTR>(list.pcre[i].c_str()), PCRE2_ZERO_TERMINATED,
                        PCRE2_CASELESS, &error, &offset, nullptr);
      if (code == nullptr) {
        continue;
      }
      if (jit) {
        pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
      }
      codes_.push_back(code);
      allow_.push_back(list.allow[i]);
    }
    data_ = pcre2_match_data_create(4, nullptr);
  }
  ~PcreWalk() {
    for (pcre2_code* code : codes_) {
      pcre2_code_free(code);
    }
    pcre2_match_data_free(data_);
  }
  // The first matching rule decides; none: the default (allow, from the "+all").
  bool Allow(const std::string& address) const {
    for (size_t i = 0; i < codes_.size(); ++i) {
      if (pcre2_match(codes_[i], reinterpret_cast<PCRE2_SPTR>(address.data()), address.size(), 0, 0,
                      data_, nullptr) >= 0) {
        return allow_[i];
      }
    }
    return true;
  }

 private:
  std::vector<pcre2_code*> codes_;
  std::vector<bool> allow_;
  pcre2_match_data* data_ = nullptr;
};

constexpr int kLoads = 5;

struct LoadFigures {
  double median_ms = 0;
  double min_ms = 0;
  size_t resident_growth = 0;            // of the first load
  std::unique_ptr<ConfigSource> source;  // the first load, kept for the checks
};

// Loads the file as the library does on the first address check: read, split into lines,
// every rule compiled and indexed. The first load is kept; later ones are measured only.
LoadFigures MeasureLoad(const ListFile& file) {
  LoadFigures figures;
  std::vector<double> times;
  for (int i = 0; i < kLoads; ++i) {
    auto source = std::make_unique<ConfigSource>();
    source->settings_copy.check_url_access = 1;
    source->filter_file_path = file.library_path();
    const size_t before = ResidentBytes();
    int loaded = 0;
    times.push_back(TimeUs([&] { loaded = LoadFilterList(*source); }) / 1000);
    if (loaded == 0 || source->filter_list == nullptr) {
      figures.source.reset();
      return figures;
    }
    if (i == 0) {
      figures.resident_growth = ResidentBytes() - before;
      figures.source = std::move(source);
    }
  }
  std::sort(times.begin(), times.end());
  figures.median_ms = times[times.size() / 2];
  figures.min_ms = times.front();
  return figures;
}

void BenchList(int rules, int addresses, int walked, int pcre_checked) {
  Generator generator(static_cast<uint32_t>(rules));
  GeneratedList list = MakeList(rules, &generator);
  std::vector<std::string> urls;
  for (int i = 0; i < addresses; ++i) {
    urls.push_back(generator.Address());
  }
  std::printf("== %d rules, %d addresses\n", rules, addresses);
  std::vector<std::string> utf8_lines;
  for (const std::u16string& line : list.lines) {
    utf8_lines.push_back(ToUtf8(line));
  }
  const ListFile file("zelk-list-" + std::to_string(list.lines.size()) + ".txt", utf8_lines);
  const LoadFigures load = MeasureLoad(file);
  if (load.source == nullptr || load.source->filter_list == nullptr) {
    std::printf("  the list could not be loaded and compiled\n");
    return;
  }
  std::printf(
      "  read and compile from the file (%.1f MB): median %.1f ms, min %.1f ms of %d loads; "
      "%.1f MB resident growth, %.1f MB held by programs and index, %zu rules always "
      "tried\n",
      file.bytes() / 1048576.0, load.median_ms, load.min_ms, kLoads,
      load.resident_growth / 1048576.0, load.source->filter_list->memory() / 1048576.0,
      load.source->filter_list->always_tried_count());
  if (load.source->filter_list->Lines() != list.lines) {
    std::printf("  the lines read from the file differ from those written\n");
  }

  UrlCheckInput input;
  input.list = load.source->filter_list.get();
  std::vector<double> times;
  std::vector<UrlDecision> decisions;
  size_t budget_refusals = 0;
  size_t allowed = 0;
  for (const std::string& url : urls) {
    const std::u16string address = FromUtf8(url);
    input.address = address;
    UrlDecision decision;
    times.push_back(TimeUs([&] { decision = DecideUrl(input); }));
    budget_refusals += decision.reason == DecisionReason::kBudgetExhausted ? 1 : 0;
    allowed += decision.allow ? 1 : 0;
    decisions.push_back(std::move(decision));
  }
  const Figures indexed = Summarise(times);
  Print("indexed check", indexed, times.size());
  std::printf("  budget refusals: %zu; allowed %zu of %zu\n", budget_refusals, allowed,
              urls.size());

  // The plain walk, on a sample: it compiles and tries every rule in turn, here without a
  // budget (with one, it would refuse the addresses it runs out on).
  UrlCheckInput walk_input = input;
  walk_input.step_budget = kUnlimitedSteps;
  std::vector<double> walk_times;
  size_t differ = 0;
  for (int i = 0; i < walked && i < addresses; ++i) {
    const std::u16string address = FromUtf8(urls[i]);
    walk_input.address = address;
    UrlDecision walk;
    walk_times.push_back(TimeUs([&] { walk = WalkFilterRules(walk_input, list.lines); }));
    const bool same = walk.allow == decisions[i].allow && walk.reason == decisions[i].reason &&
                      (walk.reason == DecisionReason::kDefaultRule
                           ? walk.default_line_index == decisions[i].default_line_index
                           : walk.line_index == decisions[i].line_index);
    differ += same ? 0 : 1;
  }
  const Figures plain = Summarise(walk_times);
  Print("plain walk (reference)", plain, walk_times.size());
  std::printf("  answers differing from the plain walk: %zu of %zu\n", differ, walk_times.size());

  double jit_median = 0;
  for (const bool jit : {true, false}) {
    std::unique_ptr<PcreWalk> walk;
    const double pcre_compile_ms =
        TimeUs([&] { walk = std::make_unique<PcreWalk>(list, jit); }) / 1000;
    std::vector<double> pcre_times;
    size_t pcre_differ = 0;
    for (int i = 0; i < pcre_checked && i < addresses; ++i) {
      bool allow = false;
      pcre_times.push_back(TimeUs([&] { allow = walk->Allow(urls[i]); }));
      pcre_differ += allow != decisions[i].allow ? 1 : 0;
    }
    const Figures f = Summarise(pcre_times);
    Print(jit ? "PCRE2-JIT walk" : "PCRE2 interpreter walk", f, pcre_times.size());
    std::printf("    compile %.1f ms; answers differing from the indexed check: %zu\n",
                pcre_compile_ms, pcre_differ);
    if (jit) {
      jit_median = f.median_us;
    }
    std::printf("    ratio %s / indexed (medians): %.1fx\n", jit ? "PCRE2-JIT" : "PCRE2",
                f.median_us / indexed.median_us);
  }
  std::printf("  ratio plain walk / indexed (medians): %.1fx; PCRE2-JIT / indexed: %.1fx\n",
              plain.median_us / indexed.median_us, jit_median / indexed.median_us);
}

// The hostile shapes, each against an address made to exploit it.
void BenchHostile() {
  std::u16string nested;
  for (int i = 0; i < 40; ++i) {
    nested += u"(";
  }
  nested += u"a";
  for (int i = 0; i < 40; ++i) {
    nested += u")";
  }
  std::u16string alternatives;
  for (int i = 0; i < 10000; ++i) {
    alternatives += (i == 0 ? u"(w" : u"|(w") + FromUtf8(std::to_string(i)) + u"x)";
  }
  // Each address holds the rule's literal text elsewhere, so that the rule is matched.
  const std::u16string run = u"http://b/" + std::u16string(5000, u'a');
  const std::u16string long_address = u"http://b/w7x/" + std::u16string(100000, u'a') + u"c";
  struct Case {
    const char* name;
    std::u16string rule;
    std::u16string address;
  } const cases[] = {
      {"((a)|(aa))*b, 5,000 a's", u"-((a)|(aa))*b", run},
      {"(a+)+b, 5,000 a's", u"-(a+)+b", run},
      {"40 nested groups", u"-" + nested + u"b", run},
      {"10,000 alternatives", u"-" + alternatives, long_address},
      {"(a|aa)*b, 100,000-character address", u"-(a|aa)*b", long_address},
      {"a*b, 100,000-character address", u"-a*b", long_address},
  };
  std::printf("== hostile cases (each one check, read and compiled beforehand)\n");
  for (const Case& c : cases) {
    const std::vector<std::u16string> lines = {c.rule, u"+all"};
    const CompiledFilterListPtr compiled = CompileFilterList(lines);
    UrlCheckInput input;
    input.list = compiled.get();
    input.address = c.address;
    UrlDecision decision;
    const double us = TimeUs([&] { decision = DecideUrl(input); });
    std::printf("  %-40s %8.2f ms  %s%s, %llu steps\n", c.name, us / 1000,
                decision.allow ? "allowed" : "refused",
                decision.reason == DecisionReason::kBudgetExhausted ? " (budget)" : "",
                static_cast<unsigned long long>(decision.steps));
  }
}

}  // namespace
}  // namespace zelk

int main() {
  zelk::BenchList(1000, 3000, 300, 3000);
  zelk::BenchList(10000, 3000, 60, 500);
  zelk::BenchList(40000, 3000, 15, 100);
  zelk::BenchHostile();
  return 0;
}
