// Figures for the pattern compiler and matcher: compile time of deeply nested rules and of
// a long alternation chain, and match time of typical filter rules against typical URLs.
// Prints one line per figure; it asserts nothing.
#include <algorithm>
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

// The best of `runs` timings of one match of `pattern` against `input`, in microseconds, and
// the steps it took: the steps are the work, the timing what the code layout makes of it.
// "first" is the first match, in a fresh state that grows its stack and tables as it goes;
// the others reuse one state, as a list's checks do.
void BenchHostile(const char* name, const std::u16string& pattern, const std::u16string& input) {
  UrlPattern compiled;
  CompilePattern(pattern, &compiled);
  MatchState state;
  double best = 1e300;
  double first = 0;
  bool matched = false;
  for (int run = 0; run < 5; ++run) {
    if (run == 0) {
      MatchState fresh;
      first = MeanMicroseconds(1, [&] { MatchPattern(compiled, input, &fresh); });
    }
    best = std::min(best,
                    MeanMicroseconds(1, [&] { matched = MatchPattern(compiled, input, &state); }));
  }
  std::printf("hostile %-30s %7zu chars  %-5s %9llu steps  %10.1f us  (first %10.1f us)\n", name,
              input.size(), state.abandoned() ? "gave up" : (matched ? "yes" : "no"),
              static_cast<unsigned long long>(state.steps()), best, first);
}

// Rules that make a backtracking search work hardest, on inputs of 1,000 and 100,000
// characters: a linear search grows the steps about 100 times. Each input ends in the
// rule's last character out of place, so that no search can stop early for want of it.
void BenchHostileRules() {
  struct Case {
    const char* name;
    const char16_t* pattern;
    const char16_t* unit;
    const char16_t* tail;
  };
  static const Case kCases[] = {
      {".*/download/.*\\.exe$", u".*/download/.*\\.exe$", u"download/x.exe/", u""},
      {"(a+)+b", u"(a+)+b", u"a", u"/b"},
      {"((a)|(aa))*b", u"((a)|(aa))*b", u"a", u"/b"},
      {"(a|aa)*b", u"(a|aa)*b", u"a", u"/b"},
      {"[^/]*x[^/]*y[^/]*z", u"[^/]*x[^/]*y[^/]*z", u"xy", u"/z"},
  };
  for (const Case& c : kCases) {
    for (const int length : {1000, 100000}) {
      const std::u16string tail = c.tail;
      std::u16string input = u"http://x/";
      while (input.size() + tail.size() < static_cast<size_t>(length)) {
        input += c.unit;
      }
      input.resize(length - tail.size());
      input += tail;
      BenchHostile(c.name, c.pattern, input);
    }
  }
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
  BenchHostileRules();
}

}  // namespace
}  // namespace zelk

int main() {
  zelk::Run();
  return 0;
}
