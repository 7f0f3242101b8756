// zelkctl impact: which addresses a change of the filter file starts or stops refusing.
//
// The library reads its filter file once per load and finds zelk.ini beside the
// executable of the process it is loaded into. So each filter file gets a kiosk folder of
// its own in a temporary folder: a copy of zelkctl and of the library, and a zelk.ini
// that turns checking on and names the filter file. zelkctl runs there as a process of
// its own (`check-list`) and asks the library's CheckURL for every address; the answers
// of the two runs are compared here. The run reports the filter file the library really
// loaded, so a registry value that overrides CheckURLFile is caught instead of compared.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "common/text.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/support/check_answer.h"
#include "tools/zelkctl/support/check_list_line.h"
#include "tools/zelkctl/support/child_process.h"
#include "tools/zelkctl/support/input_file.h"
#include "tools/zelkctl/support/json.h"
#include "tools/zelkctl/support/output_file.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

struct Side {
  std::string filter;
  std::vector<CheckListLine> answers;
  int64_t total_nanoseconds = 0;
};

// zelk.ini in UTF-16 with its byte-order mark, so that any path is read back unchanged.
bool WriteKioskIni(const fs::path& path, const std::u16string& filter) {
  const std::u16string text =
      u"[Browser]\r\nCheckURLAccess=TRUE\r\n[Files]\r\nCheckURLFile=" + filter + u"\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return WriteFileBytes(path.u8string(), bytes);
}

// A copy of zelkctl and of the library in `folder`, and a zelk.ini that names `filter`.
bool LayOutKiosk(const std::string& library, const fs::path& folder, const std::u16string& filter) {
  std::error_code failure;
  const fs::path tool = fs::u8path(OwnExecutablePath());
  const fs::path lib = fs::u8path(library);
  fs::create_directories(folder, failure);
  fs::copy_file(tool, folder / tool.filename(), failure);
  if (!failure) {
    fs::copy_file(lib, folder / lib.filename(), failure);
  }
  return !failure && WriteKioskIni(folder / "zelk.ini", filter);
}

// Runs check-list in the kiosk folder; its output lands in `result`. The exit status.
int RunCheckListThere(const std::string& library,
                      const std::string& url_file,
                      const fs::path& folder,
                      const std::u16string& filter,
                      const fs::path& result) {
  const fs::path tool = folder / fs::u8path(OwnExecutablePath()).filename();
  const fs::path lib = folder / fs::u8path(library).filename();
  return RunChildProcess(tool.u8string(), {"--library", lib.u8string(), "check-list", "-o",
                                           result.u8string(), "--expect-filter", ToUtf8(filter),
                                           fs::absolute(fs::u8path(url_file)).u8string()});
}

// The answers of check-list's output after its header line; false when a line is not one
// check-list writes or the library could not load the filter file.
bool ReadAnswers(std::istream& in, Side* side) {
  for (std::string text; std::getline(in, text);) {
    CheckListLine line;
    if (!ParseCheckListLine(text, &line) || line.answer == CheckAnswer::kUnloaded) {
      return false;
    }
    side->total_nanoseconds += line.nanoseconds;
    side->answers.push_back(std::move(line));
  }
  return true;
}

// Reads the run's output; the header names the filter file the library really loaded.
bool ReadSide(const fs::path& result,
              int status,
              const std::u16string& filter,
              Side* side,
              std::string* error) {
  std::ifstream in;
  std::string header;
  if (OpenInputFile(result.u8string(), &in)) {
    std::getline(in, header);
  }
  const std::string expected = std::string(kCheckListHeader) + "\t" + ToUtf8(filter) + "\ton";
  if (!header.empty() && header != expected) {
    *error = "the library would not load " + side->filter +
             ": a registry value overrides CheckURLFile or CheckURLAccess (the library reads: " +
             header.substr(kCheckListHeader.size() + 1) + ")";
    return false;
  }
  if (status != 0 || header.empty()) {
    *error = "checking the addresses with " + side->filter + " failed (status " +
             std::to_string(status) + ")";
    return false;
  }
  if (!ReadAnswers(in, side)) {
    *error = "the library could not check the addresses with " + side->filter;
    return false;
  }
  return true;
}

// Lays out the kiosk folder of one side, runs check-list there and reads its answers.
bool RunSide(const std::string& library,
             const std::string& url_file,
             const fs::path& folder,
             Side* side,
             std::string* error) {
  const std::u16string filter = FromUtf8(fs::absolute(fs::u8path(side->filter)).u8string());
  if (!LayOutKiosk(library, folder, filter)) {
    *error = "cannot lay out a kiosk folder in " + folder.u8string();
    return false;
  }
  const fs::path result = folder / "answers.txt";
  const int status = RunCheckListThere(library, url_file, folder, filter, result);
  return ReadSide(result, status, filter, side, error);
}

struct Change {
  const CheckListLine* before;
  const CheckListLine* after;
};

// The comparison of the two runs, address by address.
struct Impact {
  std::vector<Change> changes;
  size_t addresses = 0;
  size_t newly_refused = 0;
  size_t newly_allowed = 0;
  size_t unchanged = 0;
  double old_ns_per_check = 0;
  double new_ns_per_check = 0;
};

double NanosecondsPerCheck(const Side& side) {
  return side.answers.empty() ? 0.0
                              : static_cast<double>(side.total_nanoseconds) /
                                    static_cast<double>(side.answers.size());
}

Impact Compare(const Side& old_side, const Side& new_side) {
  Impact impact;
  impact.addresses = old_side.answers.size();
  for (size_t i = 0; i < old_side.answers.size(); ++i) {
    const CheckListLine& before = old_side.answers[i];
    const CheckListLine& after = new_side.answers[i];
    if (before.answer == after.answer) {
      ++impact.unchanged;
      continue;
    }
    ++(after.answer == CheckAnswer::kRefused ? impact.newly_refused : impact.newly_allowed);
    impact.changes.push_back({&before, &after});
  }
  impact.old_ns_per_check = NanosecondsPerCheck(old_side);
  impact.new_ns_per_check = NanosecondsPerCheck(new_side);
  return impact;
}

std::string ImpactJson(const Impact& impact) {
  JsonWriter writer;
  writer.BeginObject().Key("changes").BeginArray();
  for (const Change& change : impact.changes) {
    writer.BeginObject().Key("url").String(change.before->url);
    writer.Key("old").String(AnswerWord(change.before->answer));
    writer.Key("new").String(AnswerWord(change.after->answer));
    writer.Key("old_rule").String(change.before->why);
    writer.Key("new_rule").String(change.after->why).EndObject();
  }
  writer.EndArray().Key("addresses").Number(static_cast<int64_t>(impact.addresses));
  writer.Key("allowed_to_refused").Number(static_cast<int64_t>(impact.newly_refused));
  writer.Key("refused_to_allowed").Number(static_cast<int64_t>(impact.newly_allowed));
  writer.Key("unchanged").Number(static_cast<int64_t>(impact.unchanged));
  writer.Key("old_ns_per_check").Number(static_cast<int64_t>(impact.old_ns_per_check));
  writer.Key("new_ns_per_check").Number(static_cast<int64_t>(impact.new_ns_per_check));
  return writer.EndObject().text();
}

std::string Microseconds(double nanoseconds) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.1f us", nanoseconds / 1000.0);
  return text;
}

void PrintImpact(const Impact& impact) {
  for (const Change& change : impact.changes) {
    const bool refused_now = change.after->answer == CheckAnswer::kRefused;
    PrintLine(std::string(refused_now ? "allowed -> refused  " : "refused -> allowed  ") +
              change.before->url);
    PrintLine("    old: " + change.before->why);
    PrintLine("    new: " + change.after->why);
  }
  PrintLine(std::to_string(impact.addresses) +
            " address(es): " + std::to_string(impact.newly_refused) + " allowed -> refused, " +
            std::to_string(impact.newly_allowed) + " refused -> allowed, " +
            std::to_string(impact.unchanged) + " unchanged");
  PrintLine("time per check through CheckURL: old " + Microseconds(impact.old_ns_per_check) +
            ", new " + Microseconds(impact.new_ns_per_check));
}

fs::path FreshTemporaryFolder() {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::error_code error;
  return fs::temp_directory_path(error) / ("zelk-impact-" + std::to_string(stamp));
}

bool CanRead(const std::string& path) {
  std::ifstream in;
  return OpenInputFile(path, &in);
}

int RunImpact(Invocation& invocation) {
  if (invocation.args.size() != 3) {
    std::fprintf(stderr, "zelkctl impact: name OLD NEW URLFILE (zelkctl impact --help)\n");
    return kExitUsage;
  }
  Side old_side{invocation.args[0], {}, 0};
  Side new_side{invocation.args[1], {}, 0};
  const std::string& url_file = invocation.args[2];
  for (const std::string& path : invocation.args) {
    if (!CanRead(path)) {
      std::fprintf(stderr, "zelkctl impact: cannot read %s\n", path.c_str());
      return kExitUsage;
    }
  }
  const fs::path folder = FreshTemporaryFolder();
  std::string error;
  const bool ran = RunSide(invocation.library_path, url_file, folder / "old", &old_side, &error) &&
                   RunSide(invocation.library_path, url_file, folder / "new", &new_side, &error);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  if (!ran || old_side.answers.size() != new_side.answers.size()) {
    std::fprintf(stderr, "zelkctl impact: %s\n",
                 ran ? "the two runs checked different addresses" : error.c_str());
    return kExitUsage;
  }
  const Impact impact = Compare(old_side, new_side);
  if (invocation.json) {
    PrintLine(ImpactJson(impact));
  } else {
    PrintImpact(impact);
  }
  return impact.newly_refused != 0 ? kExitFindings : kExitOk;
}

}  // namespace

const Command kImpactCommand = {
    "impact",
    "[--json] OLD NEW URLFILE\n"
    "  Checks every address of URLFILE (one a line; of a line with several words the first\n"
    "  that holds \"://\") against the filter files OLD and NEW through the library, and\n"
    "  prints the addresses whose answer changes with the deciding rule of each file, then\n"
    "  the counts and the time per check. Each filter file is loaded in a kiosk folder of\n"
    "  its own (a temporary folder with copies of zelkctl and the library and a zelk.ini\n"
    "  naming the file), because the library loads one filter file per process. Status 1\n"
    "  when an address goes from allowed to refused.",
    "show which addresses a change of the filter file starts or stops refusing", RunImpact};

}  // namespace zelk::tools
