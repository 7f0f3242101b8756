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
#include "tools/zelkctl/check_list.h"
#include "tools/zelkctl/child_process.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/json.h"

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
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

bool Readable(const std::string& path) {
  std::error_code error;
  return !fs::is_directory(fs::u8path(path), error) &&
         static_cast<bool>(std::ifstream(fs::u8path(path), std::ios::binary));
}

// Lays out the kiosk folder of one side, runs check-list there and reads its answers.
bool RunSide(const std::string& library,
             const std::string& url_file,
             const fs::path& folder,
             Side* side,
             std::string* error) {
  std::error_code failure;
  const fs::path tool = fs::u8path(OwnExecutablePath());
  const fs::path lib = fs::u8path(library);
  const std::u16string filter = FromUtf8(fs::absolute(fs::u8path(side->filter)).u8string());
  fs::create_directories(folder, failure);
  fs::copy_file(tool, folder / tool.filename(), failure);
  if (!failure) {
    fs::copy_file(lib, folder / lib.filename(), failure);
  }
  if (failure || !WriteKioskIni(folder / "zelk.ini", filter)) {
    *error = "cannot lay out a kiosk folder in " + folder.u8string();
    return false;
  }
  const fs::path result = folder / "answers.txt";
  const int status = RunChildProcess(
      (folder / tool.filename()).u8string(),
      {"--library", (folder / lib.filename()).u8string(), "check-list", "-o", result.u8string(),
       "--expect-filter", ToUtf8(filter), fs::absolute(fs::u8path(url_file)).u8string()});
  std::ifstream in(result, std::ios::binary);
  std::string header;
  std::getline(in, header);
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
  for (std::string text; std::getline(in, text);) {
    CheckListLine line;
    if (!ParseCheckListLine(text, &line) || line.answer == "unloaded") {
      *error = "the library could not check the addresses with " + side->filter;
      return false;
    }
    side->total_nanoseconds += line.nanoseconds;
    side->answers.push_back(std::move(line));
  }
  return true;
}

struct Counts {
  size_t newly_refused = 0;
  size_t newly_allowed = 0;
  size_t unchanged = 0;
};

std::string PerCheck(const Side& side) {
  const double micro = side.answers.empty() ? 0.0
                                            : static_cast<double>(side.total_nanoseconds) / 1000.0 /
                                                  side.answers.size();
  char text[64];
  std::snprintf(text, sizeof(text), "%.1f us", micro);
  return text;
}

int Report(const Side& old_side, const Side& new_side, bool json) {
  Counts counts;
  JsonWriter writer;
  writer.BeginObject().Key("changes").BeginArray();
  for (size_t i = 0; i < old_side.answers.size(); ++i) {
    const CheckListLine& before = old_side.answers[i];
    const CheckListLine& after = new_side.answers[i];
    if (before.answer == after.answer) {
      ++counts.unchanged;
      continue;
    }
    const bool refused_now = after.answer == "refused";
    ++(refused_now ? counts.newly_refused : counts.newly_allowed);
    if (json) {
      writer.BeginObject().Key("url").String(before.url).Key("old").String(before.answer);
      writer.Key("new").String(after.answer).Key("old_rule").String(before.why);
      writer.Key("new_rule").String(after.why).EndObject();
      continue;
    }
    PrintLine(std::string(refused_now ? "allowed -> refused  " : "refused -> allowed  ") +
              before.url);
    PrintLine("    old: " + before.why);
    PrintLine("    new: " + after.why);
  }
  const auto per_check = [](const Side& side) {
    return side.answers.empty()
               ? 0
               : side.total_nanoseconds / static_cast<int64_t>(side.answers.size());
  };
  if (json) {
    writer.EndArray().Key("addresses").Number(static_cast<int64_t>(old_side.answers.size()));
    writer.Key("allowed_to_refused").Number(static_cast<int64_t>(counts.newly_refused));
    writer.Key("refused_to_allowed").Number(static_cast<int64_t>(counts.newly_allowed));
    writer.Key("unchanged").Number(static_cast<int64_t>(counts.unchanged));
    writer.Key("old_ns_per_check").Number(per_check(old_side));
    writer.Key("new_ns_per_check").Number(per_check(new_side)).EndObject();
    PrintLine(writer.text());
  } else {
    PrintLine(std::to_string(old_side.answers.size()) +
              " address(es): " + std::to_string(counts.newly_refused) + " allowed -> refused, " +
              std::to_string(counts.newly_allowed) + " refused -> allowed, " +
              std::to_string(counts.unchanged) + " unchanged");
    PrintLine("time per check through CheckURL: old " + PerCheck(old_side) + ", new " +
              PerCheck(new_side));
  }
  return counts.newly_refused != 0 ? kExitFindings : kExitOk;
}

fs::path FreshTemporaryFolder() {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::error_code error;
  return fs::temp_directory_path(error) / ("zelk-impact-" + std::to_string(stamp));
}

int RunImpact(Invocation& invocation) {
  if (invocation.args.size() != 3) {
    std::fprintf(stderr, "zelkctl impact: name OLD NEW URLFILE (zelkctl impact --help)\n");
    return kExitUsage;
  }
  Side old_side;
  old_side.filter = invocation.args[0];
  Side new_side;
  new_side.filter = invocation.args[1];
  const std::string& url_file = invocation.args[2];
  for (const std::string& path : {old_side.filter, new_side.filter, url_file}) {
    if (!Readable(path)) {
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
  return Report(old_side, new_side, invocation.json);
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
