// Figures for the pattern compiler and matcher: compile time of deeply nested rules and of
// a long alternation chain, and match time of typical filter rules against typical URLs.
// Prints one line per figure; it asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>

#include "common/text.h"
#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk {
namespace {

using Clock = std::chrono::steady_clock;

std::u16string Repeat(std::u16string_view text, int times) {
  std::u16string result;
  for (int i = 0; i < times; ++i) {
    result += text;
  }
  return result;
}

// Mean microseconds of `runs` calls of `work`.
template <typename Work>
double MeanMicroseconds(int runs, Work work) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < runs; ++i) {
    work();
  }
  const std::chrono::duration<double, std::micro> elapsed = Clock::now() - start;
  return elapsed.count() / runs;
}

void BenchCompile(const char* name, const std::u16string& pattern, int runs) {
  UrlPattern compiled;
  const PatternError error = CompilePattern(pattern, &compiled);
  const double us = MeanMicroseconds(runs, [&] { CompilePattern(pattern, &compiled); });
  std::printf("compile %-34s %8zu chars %8zu instructions  error %2d  %10.2f us\n", name,
              pattern.size(), compiled.instructions().size(), static_cast<int>(error), us);
}

void BenchMatch(const char16_t* pattern, const char16_t* url, int runs) {
  UrlPattern compiled;
  CompilePattern(pattern, &compiled);
  MatchState state;
  const bool matched = MatchPattern(compiled, url, &state);
  const uint64_t steps = state.steps();
  const double us = MeanMicroseconds(runs, [&] { MatchPattern(compiled, url, &state); });
  const double compile_us = MeanMicroseconds(runs, [&] { CompilePattern(pattern, &compiled); });
  std::printf("match %-36s %-5s %7llu steps  %8.3f us  (+ compile %6.3f us)\n",
              ToUtf8(pattern).c_str(), matched ? "yes" : "no",
              static_cast<unsigned long long>(steps), us, compile_us);
}

void BenchBudget() {
  UrlPattern compiled;
  CompilePattern(u"((a)|(aa))*b", &compiled);
  const std::u16string run_of_a(60, u'a');
  MatchState state;
  const uint64_t budget = 1000000;
  const double us = MeanMicroseconds(20, [&] { MatchPattern(compiled, run_of_a, &state, budget); });
  std::printf(
      "abandon ((a)|(aa))*b on 60 a's after %llu steps: abandoned %d  %10.1f us"
      "  (%.0f steps per second)\n",
      static_cast<unsigned long long>(state.steps()), state.abandoned() ? 1 : 0, us,
      budget / us * 1e6);
}

void Run() {
  BenchCompile("40 nested groups", Repeat(u"(", 40) + u"a" + Repeat(u")", 40), 10000);
  BenchCompile("40 nested capture groups", Repeat(u"{", 40) + u"a" + Repeat(u"}", 40), 10000);
  BenchCompile("40 nested alternatives in groups", Repeat(u"(x|", 40) + u"a" + Repeat(u")", 40),
               10000);
  BenchCompile("40 nested starred groups", Repeat(u"(a", 40) + Repeat(u")*", 40), 10000);
  BenchCompile("256 nested groups", Repeat(u"(", 256) + u"a" + Repeat(u")", 256), 1000);
  std::u16string chain;
  for (int i = 0; i < 10000; ++i) {
    chain += (i == 0 ? u"(w" : u"|(w") + FromUtf8(std::to_string(i)) + u"x)";
  }
  BenchCompile("10,000 alternatives (wNx)|...", chain, 20);
  std::u16string words;
  for (const char16_t* word : {u"casino", u"poker", u"betting", u"lottery"}) {
    for (int i = 0; i < 2500; ++i) {
      words += (words.empty() ? u"(" : u"|(") + std::u16string(word) + u")";
    }
  }
  BenchCompile("10,000 alternatives (casino)|...", words, 20);

  const char16_t* url = u"https://www.example.com/news/2024/06/11/article-12345.html?ref=home";
  BenchMatch(u"^https?://([a-z0-9-]+\\.)*example\\.com/", url, 100000);
  BenchMatch(u"\\.exe$", url, 100000);
  BenchMatch(u"(casino)|(poker)|(betting)", url, 100000);
  BenchMatch(u"//[^/]*\\.example\\.(com)|(org)/", url, 100000);
  BenchMatch(u"ARTICLE-\\z\\.html", url, 100000);
  BenchMatch(u"^about:", url, 100000);
  BenchMatch(u"^https?://www\\.", url, 100000);
  BenchMatch(u"\\?ref={\\w}&\\0", url, 100000);
  BenchBudget();
}

}  // namespace
}  // namespace zelk

int main() {
  zelk::Run();
  return 0;
}
