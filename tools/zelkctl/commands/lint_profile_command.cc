// zelkctl lint --profile FILE URLFILE: the rules that cost the most matching steps over
// the addresses of URLFILE, so that the rule that slows every navigation stands out.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/platform.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/lint/pattern_analysis.h"
#include "tools/zelkctl/lint/rule_profile.h"
#include "tools/zelkctl/support/address_file.h"
#include "tools/zelkctl/support/input_file.h"
#include "tools/zelkctl/support/json.h"

namespace zelk::tools {
namespace {

constexpr size_t kShownRules = 10;

std::string Share(uint64_t part, uint64_t whole) {
  char text[16];
  std::snprintf(text, sizeof(text), "%5.1f%%",
                whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return text;
}

// The filter file's lines and the addresses of the address file; false, with the reason
// printed, when either cannot be read.
bool ReadProfileInputs(const Invocation& invocation,
                       std::vector<std::u16string>* lines,
                       std::vector<std::u16string>* addresses) {
  const std::string& path = invocation.args[1];
  std::vector<std::string> urls;
  if (!ReadFilterFile(path, lines) || !ReadAddressFile(invocation.args[2], &urls)) {
    std::fprintf(stderr, "zelkctl lint --profile: cannot read %s\n",
                 (lines->empty() ? path : invocation.args[2]).c_str());
    return false;
  }
  for (const std::string& url : urls) {
    addresses->push_back(platform::AnsiToWide(url));
  }
  return true;
}

std::string ProfileJson(const std::string& path,
                        const std::vector<std::u16string>& lines,
                        const RuleProfile& profile) {
  JsonWriter json;
  json.BeginObject().Key("file").String(path);
  json.Key("addresses").Number(static_cast<int64_t>(profile.addresses));
  json.Key("steps").Number(static_cast<int64_t>(profile.total_steps)).Key("rules").BeginArray();
  for (size_t i = 0; i < std::min(kShownRules, profile.rules.size()); ++i) {
    const RuleCost& cost = profile.rules[i];
    json.BeginObject().Key("line").Number(static_cast<int64_t>(cost.line));
    json.Key("rule").String(ToUtf8(lines[cost.line - 1]));
    json.Key("steps").Number(static_cast<int64_t>(cost.steps));
    json.Key("reached").Number(static_cast<int64_t>(cost.reached));
    json.Key("decided").Number(static_cast<int64_t>(cost.decided)).EndObject();
  }
  return json.EndArray().EndObject().text();
}

std::vector<std::string> ProfileText(const std::string& path,
                                     const std::vector<std::u16string>& lines,
                                     const RuleProfile& profile) {
  std::vector<std::string> text = {path + ": " + std::to_string(profile.addresses) +
                                       " address(es), " + std::to_string(profile.total_steps) +
                                       " matching steps; the costliest rules:",
                                   "     steps  share  reached  decided  line  rule"};
  for (size_t i = 0; i < std::min(kShownRules, profile.rules.size()); ++i) {
    const RuleCost& cost = profile.rules[i];
    char row[96];
    std::snprintf(
        row, sizeof(row), "%10llu %s %8zu %8zu %5zu  ", static_cast<unsigned long long>(cost.steps),
        Share(cost.steps, profile.total_steps).c_str(), cost.reached, cost.decided, cost.line);
    text.push_back(row + DisplayText(lines[cost.line - 1]));
  }
  return text;
}

}  // namespace

int RunLintProfile(Invocation& invocation) {
  if (invocation.args.size() != 3) {
    std::fprintf(stderr, "zelkctl lint --profile: name FILE and URLFILE\n");
    return kExitUsage;
  }
  std::vector<std::u16string> lines;
  std::vector<std::u16string> addresses;
  if (!ReadProfileInputs(invocation, &lines, &addresses)) {
    return kExitUsage;
  }
  const RuleProfile profile = ProfileRules(lines, addresses);
  const std::string& path = invocation.args[1];
  if (invocation.json) {
    PrintLine(ProfileJson(path, lines, profile));
    return kExitOk;
  }
  for (const std::string& line : ProfileText(path, lines, profile)) {
    PrintLine(line);
  }
  return kExitOk;
}

}  // namespace zelk::tools
