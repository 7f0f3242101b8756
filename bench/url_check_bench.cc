// Figures for one address check: a realistic filter against ordinary addresses, and the
// worst a hostile address can do against a rule that backtracks exponentially, which the
// matching budget bounds. Prints one line per figure; it asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/url_decision.h"

namespace zelk {
namespace {

using Clock = std::chrono::steady_clock;

// The filter of the example kiosk, and a longer one of the kind fleets grow.
std::vector<std::u16string> RealisticFilter(int extra_deny_rules) {
  std::vector<std::u16string> rules = {
      u"; catalogue kiosk",
      u"-\\.((exe)|(msi)|(zip)|(dmg)|(apk))$",
      u"-/download/",
      u"+^https?://catalogue\\.citylibrary\\.example/",
      u"+^https?://([a-z0-9\\-]+\\.)*citylibrary\\.example/",
      u"+^about:blank$",
      u"+^chrome://newtab",
  };
  for (int i = 0; i < extra_deny_rules; ++i) {
    rules.push_back(u"-^https?://([a-z0-9\\-]+\\.)*blocked" + std::u16string(1, u'a' + i % 26) +
                    u"site\\.example/");
  }
  rules.push_back(u"-all");
  return rules;
}

void Bench(const char* name,
           const std::vector<std::u16string>& rules,
           const std::u16string& address,
           int runs) {
  const CompiledFilterListPtr list = CompileFilterList(rules);
  if (list == nullptr) {
    std::printf("%-52s the list could not be compiled\n", name);
    return;
  }
  UrlCheckInput input;
  input.list = list.get();
  input.address = address;
  UrlDecision decision;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < runs; ++i) {
    decision = DecideUrl(input);
  }
  const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
  std::printf("%-52s %5zu rules  %-7s %10llu steps  %9.3f ms per check\n", name, rules.size(),
              decision.allow ? "allowed" : "refused",
              static_cast<unsigned long long>(decision.steps), elapsed.count() / runs);
}

}  // namespace
}  // namespace zelk

int main() {
  using zelk::Bench;
  const std::u16string catalogue =
      u"https://catalogue.citylibrary.example/search?q=charles+dickens&page=2&sort=year";
  const std::u16string elsewhere = u"https://www.example.org/news/2026/12/08/an-ordinary-article";
  Bench("example filter, catalogue address", zelk::RealisticFilter(0), catalogue, 2000);
  Bench("example filter, refused address", zelk::RealisticFilter(0), elsewhere, 2000);
  Bench("500-rule filter, refused address (all rules tried)", zelk::RealisticFilter(500), elsewhere,
        20);
  // A rule whose repeat can split a run of a's in exponentially many ways, and an address
  // made to exploit it: without the budget this check would not end in a lifetime.
  const std::vector<std::u16string> hostile_rule = {u"+((a)|(aa))*b", u"+all"};
  Bench("exponential rule, hostile address (budget ends it)", hostile_rule,
        u"http://x/" + std::u16string(60, u'a'), 5);
  std::printf("budget: %llu matching steps per address check\n",
              static_cast<unsigned long long>(zelk::kUrlCheckStepBudget));
  return 0;
}
