// zelkctl check-url: the library's answer for each address, through the export, with the
// page the browser would show; --explain names the rule that decided.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "config/readers.h"
#include "platform/platform.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/support/check_answer.h"
#include "tools/zelkctl/support/json.h"
#include "tools/zelkctl/support/own_configuration.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_check_input.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

struct CheckUrlArguments {
  bool explain = false;
  std::vector<std::string> urls;
};

struct CheckedUrl {
  std::string url;
  LibraryCheck check;
  std::string why;   // with --explain: what decided, in words
  std::string work;  // with --explain: the rules tried and the steps
};

bool ParseCheckUrl(const std::vector<std::string>& args, CheckUrlArguments* parsed) {
  for (const std::string& arg : args) {
    if (arg == "--explain") {
      parsed->explain = true;
    } else {
      parsed->urls.push_back(arg);
    }
  }
  return !parsed->urls.empty();
}

// How the rules decided, worked out in this process by the library's own check, on the
// list compiled as the library compiles it.
void Explain(const ConfigSource& source, CheckedUrl* checked) {
  const std::u16string address = platform::AnsiToWide(checked->url);
  const UrlDecision decision = DecideUrl(UrlCheckInputFor(source, address));
  checked->work = DescribeWork(decision);
  checked->why = DescribeDecision(decision, FilterListOf(source));
}

// Worked out once the library has answered, and only when it read the filter file: it has
// then told the administrator of a missing zelk.ini or filter file, and this reading in
// zelkctl's own process says nothing more.
void ExplainEach(std::vector<CheckedUrl>* checked) {
  ConfigSource source;
  ReadOwnConfiguration(source);
  const bool unloaded = std::any_of(checked->begin(), checked->end(), [](const CheckedUrl& c) {
    return c.check.answer == CheckAnswer::kUnloaded;
  });
  if (unloaded || LoadFilterList(source) == 0) {
    for (CheckedUrl& c : *checked) {
      c.why = "no rule decided: the filter file could not be loaded";
      c.work = "no rule tried";
    }
    return;
  }
  for (CheckedUrl& c : *checked) {
    Explain(source, &c);
  }
}

std::string CheckedUrlsJson(const std::vector<CheckedUrl>& checked, bool explain) {
  JsonWriter json;
  json.BeginArray();
  for (const CheckedUrl& c : checked) {
    json.BeginObject().Key("url").String(c.url).Key("answer").Number(c.check.returned);
    json.Key("allowed").Bool(c.check.answer == CheckAnswer::kAllowed);
    json.Key("buffer").String(c.check.buffer);
    if (explain) {
      json.Key("explanation").String(c.why);
    }
    json.EndObject();
  }
  return json.EndArray().text();
}

void PrintCheckedUrl(const CheckedUrl& c, bool explain) {
  const std::string word = AnswerWord(c.check.answer);
  switch (c.check.answer) {
    case CheckAnswer::kAllowed:
      PrintLine(word + "  " + c.url);
      break;
    case CheckAnswer::kUnloaded:
      PrintLine("allowed  " + c.url + "  (the filter file could not be loaded; the browser shows " +
                c.check.buffer + ")");
      break;
    case CheckAnswer::kRefused:
      PrintLine(word + "  " + c.url);
      PrintLine("  page: " + c.check.buffer);
      break;
  }
  if (explain) {
    PrintLine("  " + c.why);
    PrintLine("  (" + c.work + ")");
  }
}

// The library's answer for each address. Each check after a failed load retries it and
// tells the administrator again, so once the filter file could not be loaded the later
// addresses take that same answer (the failed-load page) without asking: one message per run.
std::vector<CheckedUrl> CheckEach(const HostLibrary& library,
                                  const std::vector<std::string>& urls) {
  std::vector<CheckedUrl> checked;
  for (const std::string& url : urls) {
    if (!checked.empty() && checked.front().check.answer == CheckAnswer::kUnloaded) {
      checked.push_back({url, checked.front().check, "", ""});
    } else {
      checked.push_back({url, AskCheckUrl(library, url), "", ""});
    }
  }
  return checked;
}

int RunCheckUrl(Invocation& invocation) {
  CheckUrlArguments arguments;
  if (!ParseCheckUrl(invocation.args, &arguments)) {
    std::fprintf(stderr, "zelkctl check-url: name at least one address\n");
    return kExitUsage;
  }
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  std::vector<CheckedUrl> checked = CheckEach(invocation.library, arguments.urls);
  if (arguments.explain) {
    ExplainEach(&checked);
  }
  if (invocation.json) {
    PrintLine(CheckedUrlsJson(checked, arguments.explain));
  } else {
    for (const CheckedUrl& c : checked) {
      PrintCheckedUrl(c, arguments.explain);
    }
  }
  return kExitOk;
}

}  // namespace

const Command kCheckUrlCommand = {"check-url", "[--explain] [--json] URL...",
                                  "tell whether each address may load, with the denied page",
                                  RunCheckUrl};

}  // namespace zelk::tools
