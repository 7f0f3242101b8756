// What zelkctl's report shows, gathered from the library before any HTML is written, so
// that the page is drawn by pure code from plain values.
#ifndef ZELK_TOOLS_ZELKCTL_REPORT_REPORT_MODEL_H_
#define ZELK_TOOLS_ZELKCTL_REPORT_REPORT_MODEL_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelk::tools {

// One command id of a menu entry and what CheckCommand answered for it.
struct CommandAnswer {
  int32_t id = 0;
  std::optional<bool> allowed;  // empty when the library was not asked
};

// One slot of the menu area that a key fills, as the host finds it in its record.
struct MenuEntry {
  std::string key;
  std::string label;  // the key in words: "NewIncognitoWindow" is "New Incognito Window"
  bool separator = false;
  bool on = true;
  std::vector<CommandAnswer> commands;
};

struct Menu {
  std::string section;  // the configuration's section name
  std::string title;    // its name in the browser
  bool toolbar = false;
  std::vector<MenuEntry> entries;
};

// One key outside the menus with the value the browser gets and where it comes from.
struct SettingLine {
  std::string section;
  std::string key;
  bool text = false;    // a text value (quoted on the page), else a switch
  std::string value;    // UTF-8
  std::string source;   // default, zelk.ini, HKLM or HKCU
  std::string warning;  // empty unless the user's hive overrides a locked-down value
};

struct Finding {
  bool error = false;  // else a warning
  std::string where;   // "FILE:LINE" or the registry value
  std::string message;
};

struct ExpectationLine {
  size_t line = 0;
  bool expect_allow = false;
  std::string url;
  bool allowed = false;
  bool passed = false;
  std::string explanation;
};

// An address asked through CheckURL, with the rule that decided it.
struct SampleAnswer {
  enum class Outcome { kAllowed, kRefused, kListNotLoaded };
  std::string url;
  Outcome outcome = Outcome::kAllowed;
  std::string why;   // what decided, naming the filter line
  std::string page;  // kRefused: the buffer the browser gets, UTF-8
};

struct FilterSummary {
  bool checking = false;  // CheckURLAccess as the browser gets it
  std::string file;       // CheckURLFile as configured
  bool loaded = false;    // the library could read it
  size_t lines = 0;
  size_t pattern_rules = 0;
  size_t default_rules = 0;
  std::string default_answer;  // "refuse (no default rule)", "allow (line 12: +all)"
  std::vector<ExpectationLine> expectations;
};

struct ReportModel {
  std::string title;  // Browser/Title as the browser gets it
  std::string ini_path;
  bool ini_found = false;
  std::string library_path;
  std::string about;  // GetAboutString
  // Empty when no configuration check was run; then the page leaves its section out.
  std::optional<std::vector<Finding>> findings;
  std::vector<Menu> menus;
  std::string command_note;  // why the command ids were not asked, when they were not
  std::vector<SettingLine> settings;
  FilterSummary filter;
  std::vector<SampleAnswer> samples;
};

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_REPORT_REPORT_MODEL_H_
