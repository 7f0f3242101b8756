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
#include "tools/zelkctl/json.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_check_input.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

// Room for long addresses and generous denied pages.
constexpr size_t kUrlBufferSize = size_t{64} * 1024;

// How the rules decided, worked out in this process by the library's own check, on the
// list compiled as the library compiles it; `work` receives the rules tried and the steps.
std::string Explanation(const ConfigSource& source, const std::string& url, std::string* work) {
  const std::u16string address = platform::AnsiToWide(url);
  const UrlDecision decision = DecideUrl(UrlCheckInputFor(source, address));
  *work = DescribeWork(decision);
  return DescribeDecision(decision, source.filter_patterns);
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
  JsonWriter json;
  json.BeginArray();
  for (const std::string& url : urls) {
    std::vector<char> buffer(kUrlBufferSize, '\0');
    std::strncpy(buffer.data(), url.c_str(), buffer.size() - 1);
    const int answer =
        invocation.library.CheckURL(buffer.data(), static_cast<int>(buffer.size()), "");
    const std::string result(buffer.data());
    std::string work;
    const std::string why = explain ? Explanation(source, url, &work) : "";
    if (invocation.json) {
      json.BeginObject().Key("url").String(url).Key("answer").Number(answer);
      json.Key("allowed").Bool(answer == 1 && result == url);
      json.Key("buffer").String(result);
      if (explain) {
        json.Key("explanation").String(why);
      }
      json.EndObject();
      continue;
    }
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
      PrintLine("  " + why);
      PrintLine("  (" + work + ")");
    }
  }
  if (invocation.json) {
    PrintLine(json.EndArray().text());
  }
  return kExitOk;
}

}  // namespace

const Command kCheckUrlCommand = {"check-url", "[--explain] [--json] URL...",
                                  "tell whether each address may load, with the denied page",
                                  RunCheckUrl};

}  // namespace zelk::tools
