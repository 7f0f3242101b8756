// zelkctl check-url: the library's answer for each address, through the export, with the
// page the browser would show; --explain names the rule that decided.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/text.h"
#include "config/readers.h"
#include "config/settings_loader.h"
#include "platform/platform.h"
#include "tools/zelkctl/cli.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

// Room for long addresses and generous denied pages.
constexpr size_t kUrlBufferSize = size_t{64} * 1024;

std::string RuleText(const ConfigSource& source, size_t index) {
  return "line " + std::to_string(index + 1) + ": " + ToUtf8(source.filter_patterns[index]);
}

// How the rules decided, worked out in this process the way the library works it out.
std::string Explanation(const ConfigSource& source, const std::string& url) {
  UrlCheckInput input;
  input.checking_enabled = source.settings_copy.check_url_access != 0;
  input.filter_file_path = source.filter_file_path;
  const std::u16string address = platform::AnsiToWide(url);
  input.address = address;
  input.rules = &source.filter_patterns;
  const UrlDecision decision = DecideUrl(input);
  switch (decision.reason) {
    case DecisionReason::kNoFilterFile:
      return "no filter file is configured (Files/CheckURLFile): every address is allowed";
    case DecisionReason::kCheckingOff:
      return "address checking is off (Browser/CheckURLAccess): every address is allowed";
    case DecisionReason::kRuleMatched:
      return "decided by " + RuleText(source, decision.line_index);
    case DecisionReason::kCompileError:
      return "refused: the rule on " + RuleText(source, decision.line_index) +
             " does not compile (" + PatternErrorName(decision.error) + ")";
    case DecisionReason::kBudgetExhausted:
      return "refused: matching ran out of its budget at " + RuleText(source, decision.line_index);
    case DecisionReason::kDefaultRule:
      return decision.default_rule_seen
                 ? "no pattern matched; the default rule on " +
                       RuleText(source, decision.default_line_index) + " answered"
                 : "no pattern matched and there is no default rule: refused";
  }
  return "";
}

int RunCheckUrl(Invocation& invocation) {
  bool explain = false;
  std::vector<std::string> urls;
  for (const std::string& arg : invocation.args) {
    if (arg == "--explain") {
      explain = true;
    } else {
      urls.push_back(arg);
    }
  }
  if (urls.empty()) {
    std::fprintf(stderr, "zelkctl check-url: name at least one address\n");
    return kExitUsage;
  }
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  ConfigSource source;
  if (explain) {
    EnsureSettingsLoaded(source);
    LoadFilterList(source);
  }
  for (const std::string& url : urls) {
    std::vector<char> buffer(kUrlBufferSize, '\0');
    std::strncpy(buffer.data(), url.c_str(), buffer.size() - 1);
    const int answer =
        invocation.library.CheckURL(buffer.data(), static_cast<int>(buffer.size()), "");
    const std::string result(buffer.data());
    if (answer == 1 && result == url) {
      PrintLine("allowed  " + url);
    } else if (answer == 1) {
      PrintLine("allowed  " + url + "  (the filter file could not be loaded; the browser shows " +
                result + ")");
    } else {
      PrintLine("refused  " + url);
      PrintLine("  page: " + result);
    }
    if (explain) {
      PrintLine("  " + Explanation(source, url));
    }
  }
  return kExitOk;
}

}  // namespace

const Command kCheckUrlCommand = {"check-url", "[--explain] URL...",
                                  "tell whether each address may load, with the denied page",
                                  RunCheckUrl};

}  // namespace zelk::tools
