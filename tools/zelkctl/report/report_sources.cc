#include "tools/zelkctl/report/report_sources.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "common/text.h"
#include "config/settings_table.h"
#include "platform/platform.h"
#include "tools/zelkctl/doctor/doctor.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "tools/zelkctl/report/doctor_findings.h"
#include "tools/zelkctl/report/menu_model.h"
#include "tools/zelkctl/support/own_configuration.h"
#include "tools/zelkctl/support/setting_rows.h"
#include "urlfilter/filter_line.h"
#include "urlfilter/filter_list.h"
#include "urlfilter/url_check_input.h"

namespace zelk::tools {
namespace {

// Room for long addresses and generous denied pages, as the browser gives it.
constexpr size_t kUrlBufferSize = size_t{64} * 1024;
constexpr char kListNotLoaded[] = "About:Blank";

const char* const kOutsideSamples[] = {
    "https://www.example.com/",
    "https://www.example.com/downloads/setup.exe",
};

std::string AboutText(HostLibrary& library) {
  std::vector<ZelkWideChar> buffer(1024, 0);
  library.GetAboutString(buffer.data(), static_cast<int>(buffer.size()));
  buffer.back() = 0;
  return ToUtf8(reinterpret_cast<const char16_t*>(buffer.data()));
}

// With ShowCommandId on, every CheckCommand shows its id in a message box and holds the
// thread until it is closed, so the ids are then drawn without the library's answers.
std::vector<Menu> MenusOf(HostLibrary& library,
                          const HostSettingsBlock& record,
                          bool show_command_id) {
  if (show_command_id) {
    return BuildMenus(record, nullptr);
  }
  return BuildMenus(record, [&library](int32_t id) -> std::optional<bool> {
    return library.CheckCommand(id) == 1;
  });
}

std::vector<SettingLine> SettingLines(const ConfigSource& source, const HostSettingsBlock& record) {
  std::vector<SettingLine> lines;
  for (const SettingRow& row : ReadSettingRows(source, record)) {
    if (row.key.kind != KeyKind::kMenuFlag) {
      lines.push_back({row.key.section, row.key.key, row.key.type == ValueType::kString, row.value,
                       row.source, row.warning});
    }
  }
  return lines;
}

// The answer the browser gets for `url`: the result of CheckURL and the buffer it leaves.
SampleAnswer AskLibrary(HostLibrary& library, const std::string& url) {
  std::vector<char> buffer(kUrlBufferSize, '\0');
  const std::string narrow = platform::WideToAnsi(FromUtf8(url));
  std::memcpy(buffer.data(), narrow.data(), std::min(narrow.size(), buffer.size() - 1));
  const int answer = library.CheckURL(buffer.data(), static_cast<int>(buffer.size()), "");
  const std::string result(buffer.data());
  SampleAnswer sample{url, SampleAnswer::Outcome::kAllowed, "", ""};
  if (answer == 1 && result == kListNotLoaded && narrow != kListNotLoaded) {
    sample.outcome = SampleAnswer::Outcome::kListNotLoaded;
    sample.why = "the filter file could not be read";
  } else if (answer == 0) {
    sample.outcome = SampleAnswer::Outcome::kRefused;
    sample.page = ToUtf8(platform::AnsiToWide(result));
  }
  return sample;
}

// The line that decided, by the library's own check over the list as the library read it.
std::string Explain(const ConfigSource& source, const std::string& url) {
  const std::u16string address = platform::AnsiToWide(platform::WideToAnsi(FromUtf8(url)));
  return DescribeDecision(DecideUrl(UrlCheckInputFor(source, address)), FilterListOf(source));
}

std::string DefaultAnswer(const std::vector<std::u16string>& lines) {
  std::string answer = "refuse (no default rule)";
  for (size_t i = 0; i < lines.size(); ++i) {
    const FilterLine line = ReadFilterLine(lines[i]);
    if (line.kind == FilterLineKind::kDefaultRule) {
      answer = std::string(line.allow ? "allow" : "refuse") + " (line " + std::to_string(i + 1) +
               ": " + ToUtf8(lines[i]) + ")";
    }
  }
  return answer;
}

void CountRules(const std::vector<std::u16string>& lines, FilterSummary* filter) {
  filter->lines = lines.size();
  for (const std::u16string& text : lines) {
    const FilterLineKind kind = ReadFilterLine(text).kind;
    filter->pattern_rules += kind == FilterLineKind::kPatternRule ? 1 : 0;
    filter->default_rules += kind == FilterLineKind::kDefaultRule ? 1 : 0;
  }
  filter->default_answer = DefaultAnswer(lines);
}

std::vector<ExpectationLine> Expectations(const std::vector<std::u16string>& lines) {
  std::vector<ExpectationLine> out;
  for (const ExpectationResult& e : LintFilterLines(lines).expectations) {
    out.push_back({e.line, e.expect_allow, ToUtf8(e.url), e.allowed, e.passed, e.explanation});
  }
  return out;
}

// The samples go through CheckURL first, so the library reads the filter file and shows its
// own message when it cannot; after a failure no more are asked, since each would try
// again. The file is read here only when the library could read it.
void GatherFilter(HostLibrary& library,
                  const HostSettingsBlock& record,
                  ConfigSource& source,
                  const std::vector<std::string>& urls,
                  ReportModel* model) {
  FilterSummary& filter = model->filter;
  filter.checking = record.check_url_access != 0;
  filter.file = ToUtf8(source.filter_file_path);
  filter.loaded = true;
  for (const std::string& url : urls) {
    model->samples.push_back(AskLibrary(library, url));
    if (model->samples.back().outcome == SampleAnswer::Outcome::kListNotLoaded) {
      filter.loaded = false;
      return;
    }
  }
  filter.loaded = LoadFilterList(source) == 1;
  const std::vector<std::u16string> lines = FilterLinesOf(source);
  CountRules(lines, &filter);
  filter.expectations = Expectations(lines);
  for (SampleAnswer& sample : model->samples) {
    sample.why = Explain(source, sample.url);
  }
}

}  // namespace

std::vector<std::string> DefaultSampleUrls(const HostSettingsBlock& record) {
  std::vector<std::string> urls;
  for (const std::string& url :
       {RecordText(record.new_tab_url, sizeof(record.new_tab_url)),
        RecordText(record.help_page_url, sizeof(record.help_page_url)),
        std::string(kOutsideSamples[0]), std::string(kOutsideSamples[1])}) {
    if (!url.empty() && std::find(urls.begin(), urls.end(), url) == urls.end()) {
      urls.push_back(url);
    }
  }
  return urls;
}

ReportModel GatherReport(HostLibrary& library, const ReportRequest& request) {
  ReportModel model;
  auto record = std::make_unique<HostSettingsBlock>();
  std::memset(record.get(), 0, sizeof(HostSettingsBlock));
  model.ini_found = library.GetSettings(record.get()) != 0;
  model.title = RecordText(record->title, sizeof(record->title));
  model.library_path = request.library_path;
  model.about = AboutText(library);

  ConfigSource source;
  ReadOwnConfiguration(source);
  model.ini_path = ToUtf8(source.ini_path);
  model.menus = MenusOf(library, *record, source.show_command_id != 0);
  if (source.show_command_id != 0) {
    model.command_note =
        "ShowCommandId is on: the browser shows every command id in a message box, so the "
        "library was not asked about the ids here.";
  }
  {
    const platform::ConfigurationSnapshot snapshot;  // every row from one reading of the files
    model.settings = SettingLines(source, *record);
  }
  model.findings = ReportFindings(doctor::DiagnoseInstallation());
  const std::vector<std::string> urls =
      request.sample_urls.empty() ? DefaultSampleUrls(*record) : request.sample_urls;
  GatherFilter(library, *record, source, urls, &model);
  return model;
}

}  // namespace zelk::tools
