#include "tools/zelkctl/lint/host_rule_advice.h"

#include <algorithm>

#include "common/text.h"
#include "tools/zelkctl/import/host_grammar.h"
#include "urlfilter/pattern/matcher.h"

namespace zelk::tools {
namespace {

// Enough for any of the short addresses below against a pattern that does not run away.
constexpr uint64_t kAdviceStepBudget = 200'000;

constexpr std::u16string_view kOtherSite = u"evil.test";

// Schemes whose addresses run script in the page shown (javascript:, vbscript:), make a
// page of their own (data:), open a file or a share on another machine (file:), or show
// a page that the filter never sees by its own address (view-source:).
constexpr std::u16string_view kUnsafeSchemes[] = {u"javascript", u"vbscript", u"data", u"file",
                                                  u"view-source"};
// The plain runs of a rule whose text the probes of the unsafe schemes carry.
constexpr size_t kProbedRuns = 2;

bool IsLabelChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
}

bool AllOf(std::u16string_view text, bool (*test)(char16_t)) {
  for (char16_t c : text) {
    if (!test(c)) {
      return false;
    }
  }
  return !text.empty();
}

// The length of the host name at text[from], or 0: labels joined by dots, at least two,
// the last of two or more letters, or four numbers.
size_t HostLength(std::u16string_view text, size_t from) {
  size_t end = from;
  std::vector<std::u16string_view> labels;
  for (;;) {
    size_t label_end = end;
    while (label_end < text.size() && IsLabelChar(text[label_end])) {
      ++label_end;
    }
    if (label_end == end) {
      break;
    }
    labels.push_back(text.substr(end, label_end - end));
    end = label_end;
    if (end + 1 < text.size() && text[end] == u'.' && IsLabelChar(text[end + 1])) {
      ++end;
    } else {
      break;
    }
  }
  const auto is_letter = [](char16_t c) { return c >= u'a' && c <= u'z'; };
  const auto is_digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
  bool numeric = labels.size() == 4;
  for (std::u16string_view label : labels) {
    numeric = numeric && AllOf(label, is_digit);
  }
  const bool named =
      labels.size() >= 2 && labels.back().size() >= 2 && AllOf(labels.back(), is_letter);
  return named || numeric ? end - from : 0;
}

// Every match consumes each character the pattern requires: an address without one is
// refused without setting up a search, as most probes of a rule anchored to a site are.
bool LacksARequiredCharacter(const UrlPattern& pattern, std::u16string_view address) {
  const std::u16string_view text = address.substr(0, address.find(u'\0'));
  for (const char16_t c : pattern.required_characters()) {
    if (c != 0 &&
        std::none_of(text.begin(), text.end(), [c](char16_t a) { return FoldAscii(a) == c; })) {
      return true;
    }
  }
  return false;
}

bool Matches(const UrlPattern& pattern, std::u16string_view address, MatchState* state) {
  return !LacksARequiredCharacter(pattern, address) &&
         MatchPattern(pattern, address, state, kAdviceStepBudget) && !state->abandoned();
}

// Addresses of other sites that carry the host name, and the rest of the run after it.
std::vector<std::u16string> HostileAddresses(std::u16string_view scheme,
                                             std::u16string_view before,
                                             std::u16string_view host,
                                             std::u16string_view after) {
  const std::u16string other(kOtherSite);
  const std::u16string path(after.substr(!after.empty() && after[0] == u'/' ? 1 : 0));
  const std::u16string s(scheme);
  const std::u16string h(host);
  return {
      u"http://" + other + u"/?" + std::u16string(before) + h + std::u16string(after),
      s + h + u"@" + other + u"/" + path,
      s + h + u"." + other + u"/" + path,
      s + u"not" + h + (after.empty() ? u"/" : std::u16string(after)),
  };
}

// True when the pattern compiles, refuses every hostile address and allows the site (and
// a name under it, when it means those).
bool IsSafeForm(const std::u16string& suggestion,
                std::u16string_view host,
                std::u16string_view after,
                bool subdomains,
                MatchState* state) {
  UrlPattern compiled;
  if (CompilePattern(suggestion, &compiled) != PatternError::kOk) {
    return false;
  }
  for (const std::u16string& address : HostileAddresses(u"https://", u"", host, after)) {
    if (Matches(compiled, address, state)) {
      return false;
    }
  }
  const std::u16string path = after.empty() ? u"/" : std::u16string(after);
  return Matches(compiled, u"https://" + std::u16string(host) + path, state) &&
         (!subdomains || Matches(compiled, u"http://www." + std::u16string(host) + path, state));
}

std::u16string SchemeOf(std::u16string_view before) {
  if (before.size() > 3 && before.substr(before.size() - 3) == u"://") {
    return std::u16string(before);
  }
  return u"http://";
}

// Where the first host name of the pattern's plain text stands: at the start of a run or
// right after "//".
struct HostPlace {
  const PlainRun* run = nullptr;
  size_t from = 0;
  size_t length = 0;
};

HostPlace FindHost(const std::vector<PlainRun>& runs) {
  for (const PlainRun& run : runs) {
    const std::u16string_view text = run.text;
    for (size_t from = 0; from < text.size(); ++from) {
      if (from != 0 && (from < 2 || text.substr(from - 2, 2) != u"//")) {
        continue;
      }
      const size_t length = HostLength(text, from);
      if (length != 0) {
        return HostPlace{&run, from, length};
      }
    }
  }
  return HostPlace();
}

// The site in the one grammar of "this site", keeping a path that follows the host in the
// rule when it can.
std::u16string SafeForm(std::u16string_view host,
                        std::u16string_view after,
                        std::u16string_view rest,
                        MatchState* state) {
  HostRuleSpec site;
  std::string why;
  if (!NormalizeHostName(ToUtf8(host), &site.host, &why)) {
    return u"";
  }
  site.schemes = kWebSchemes;
  const bool subdomains = !site.host.is_address;
  site.names = subdomains ? HostRuleSpec::Names::kWithSubdomains : HostRuleSpec::Names::kExact;
  if (!rest.empty() && (rest[0] == u'/' || rest == u"$")) {
    HostRuleSpec with_rest = site;
    with_rest.has_tail = true;
    with_rest.tail = ToUtf8(rest);
    const std::u16string form = FromUtf8(BuildHostPattern(with_rest));
    if (IsSafeForm(form, host, after, subdomains, state)) {
      return form;
    }
  }
  const std::u16string form = FromUtf8(BuildHostPattern(site));
  return IsSafeForm(form, host, u"", subdomains, state) ? form : u"";
}

}  // namespace

HostRuleAdvice AdviseHostRule(const PatternAnalysis& analysis,
                              std::u16string_view pattern,
                              MatchState* scratch) {
  HostRuleAdvice advice;
  if (analysis.error != PatternError::kOk) {
    return advice;
  }
  const HostPlace place = FindHost(analysis.runs);
  if (place.run == nullptr) {
    return advice;
  }
  const std::u16string_view text = place.run->text;
  const std::u16string_view before = text.substr(0, place.from);
  const std::u16string_view host = text.substr(place.from, place.length);
  const std::u16string_view after = text.substr(place.from + place.length);
  for (const std::u16string& address : HostileAddresses(SchemeOf(before), before, host, after)) {
    if (Matches(*analysis.program, address, scratch)) {
      advice.hostile.push_back(address);
    }
  }
  if (!advice.hostile.empty()) {
    advice.applies = true;
    advice.host = std::u16string(host);
    const size_t host_end = place.run->ends[place.from + place.length - 1];
    advice.suggestion = SafeForm(host, after, pattern.substr(host_end), scratch);
  }
  return advice;
}

HostRuleAdvice AdviseHostRule(const PatternAnalysis& analysis, std::u16string_view pattern) {
  MatchState scratch;
  return AdviseHostRule(analysis, pattern, &scratch);
}

std::vector<std::u16string> UnsafeSchemeAddresses(const PatternAnalysis& analysis,
                                                  MatchState* scratch) {
  std::vector<std::u16string> found;
  if (analysis.error != PatternError::kOk) {
    return found;
  }
  std::vector<std::u16string> texts;
  for (const PlainRun& run : analysis.runs) {
    if (!run.text.empty() && texts.size() < kProbedRuns) {
      texts.push_back(run.text);
    }
  }
  if (texts.empty()) {
    texts.emplace_back();
  }
  for (std::u16string_view scheme : kUnsafeSchemes) {
    bool admitted = false;
    for (size_t i = 0; i < 2 * texts.size() && !admitted; ++i) {
      const std::u16string address =
          std::u16string(scheme) + (i % 2 == 0 ? u":" : u"://") + texts[i / 2];
      admitted = Matches(*analysis.program, address, scratch);
      if (admitted) {
        found.push_back(address);
      }
    }
  }
  return found;
}

std::vector<std::u16string> UnsafeSchemeAddresses(const PatternAnalysis& analysis) {
  MatchState scratch;
  return UnsafeSchemeAddresses(analysis, &scratch);
}

}  // namespace zelk::tools
