// zelkctl doctor: each planted mistake is found at its line with its kind, clean text gives
// nothing, and bad files give a finding instead of a hang.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/support/configured_host.h"
#include "tests/support/test_support.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/doctor/doctor.h"

namespace zelk::tools::doctor {
namespace {

using platform::RegistryHive;

std::string Messages(const std::vector<Finding>& findings) {
  std::string text;
  for (const Finding& finding : findings) {
    text += FormatFinding(finding) + "\n";
  }
  return text;
}

using namespace std::string_literals;

struct IniCase {
  std::string ini;
  size_t line;
  FindingKind kind;
  Severity severity;
  const char* says;  // a part of the message
};

constexpr Severity kE = Severity::kError;
constexpr Severity kW = Severity::kWarning;

const IniCase kIniCases[] = {
    {"[Browser]\nFirstRunUIBypass=TRUE\n", 2, FindingKind::kUnknownKey, kE,
     "did you mean FirstRunUIBupass?"},
    {"[Files]\nFirstRunUIBupass=TRUE\n", 2, FindingKind::kUnknownKey, kE, "a key of [Browser]"},
    {"[AppMenu]\nDownload=FALSE\n", 2, FindingKind::kUnknownKey, kE, "did you mean Downloads?"},
    {"[Toolbars]\nOpenFile=FALSE\n", 1, FindingKind::kUnknownSection, kE, "[Toolbar]?"},
    {"[Browser]\nCleanProfileOnClose=yes\n", 2, FindingKind::kNotTruthWord, kE, "\"yes\""},
    {"[Browser]\nCheckURLAccess=1\n", 2, FindingKind::kNotTruthWord, kE, "reads as FALSE"},
    {"[Browser]\nCheckURLAccess=off\n", 2, FindingKind::kNotTruthWord, kW, "write FALSE"},
    {"[Browser]\nFirstRunUIBupass=\n", 2, FindingKind::kNotTruthWord, kE, "not as its default"},
    {"[Browser]\nCheckURLAccess=TRUE ; on\n", 2, FindingKind::kInlineComment, kE, "TRUE ; on"},
    {"[Browser]\nTitle=Kiosk ; the main one\n", 2, FindingKind::kInlineComment, kW, "Kiosk ;"},
    {"[Browser]\nOnlyLoadHTTP=TRUE (yes)\n", 2, FindingKind::kTrailingText, kE, "word TRUE"},
    {"[Browser]\nNewTabURL=TRUE please\n", 2, FindingKind::kTrailingText, kE, "not as the word"},
    {"[Browser]\nTitle=\"Kiosk\n", 2, FindingKind::kQuotesKept, kW, "\"\"Kiosk\""},
    {"[Browser]\nCheckURLAccess='TRUE\"\n", 2, FindingKind::kQuotesKept, kE, "quotes"},
    {"[Browser]\nTitle=a\n[Files]\n[browser]\nHelpPageURL=b\n", 4, FindingKind::kDuplicateSection,
     kE, "at line 1"},
    {"[Browser]\r\nTitle=a\r\nTITLE=b\r\n", 3, FindingKind::kDuplicateKey, kE, "line 2"},
    {"Title=a\n[Browser]\n", 1, FindingKind::kKeyOutsideSection, kE, "below [Browser]"},
    {"[Browser]\nKiosk mode\n", 2, FindingKind::kLineNotUnderstood, kW, "no \"=\""},
    {"[Browser]\nTitl\xC3\xA9=x\n", 2, FindingKind::kNameOutsideCodePage, kE, "outside ASCII"},
    {"[Browser]\nTitle=" + std::string(1100, 'x') + "\n", 2, FindingKind::kValueTooLong, kE,
     "its field in the host's record holds 1023"},
    {"[Files]\nDeniedURLHTML=<" + std::string(2100, 'x') + "\n", 2, FindingKind::kValueTooLong, kE,
     "the reader takes the first 2047"},
    // Bytes that are no text: UTF-16 without its mark, and a binary.
    {"[\0B\0r\0o\0w\0s\0e\0r\0]\0\r\0\n\0T\0i\0t\0l\0e\0=\0x\0\r\0\n\0"s, 0,
     FindingKind::kConfigEncoding, kE, "UTF-16"},
    {"\x7F"
     "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0"s,
     0, FindingKind::kConfigEncoding, kE, "not a text file"},
};

TEST(DoctorIniTest, FindsEachMistakeAtItsLineAndNothingElse) {
  for (const IniCase& c : kIniCases) {
    SCOPED_TRACE(c.ini.substr(0, 80));
    const std::vector<Finding> findings = DiagnoseIniBytes("zelk.ini", c.ini);
    ASSERT_EQ(1u, findings.size()) << Messages(findings);
    EXPECT_EQ(c.line, findings[0].line);
    EXPECT_EQ(FindingKindId(c.kind), std::string(FindingKindId(findings[0].kind)));
    EXPECT_EQ(c.severity, findings[0].severity);
    EXPECT_NE(std::string::npos, findings[0].message.find(c.says)) << findings[0].message;
  }
}

TEST(DoctorIniTest, TextTheReaderTakesAsMeantGivesNoFinding) {
  const std::string kClean[] = {
      "; comment\n# another\n[browser]\nonlyloadhttp=true\nTitle=\"Kiosk\"\nNewTabURL=TRUE\n",
      "[Files]\nDeniedURLHTML=<p style=\"a;b\">(DENIED_PAGE)</p>\nCommandLine=FALSE\n",
      "\xEF\xBB\xBF[Browser]\r\nShowCommandId=False\r\n",
      "\xFF\xFE[\0B\0r\0o\0w\0s\0e\0r\0]\0"s,
      "",
  };
  for (const std::string& ini : kClean) {
    const std::vector<Finding> findings = DiagnoseIniBytes("zelk.ini", ini);
    EXPECT_TRUE(findings.empty()) << ini << ": " << Messages(findings);
  }
}

TEST(DoctorIniTest, AFileOfGarbageLinesStopsAfterAFewHundredFindings) {
  std::string garbage = "[Browser]\n";
  for (int i = 0; i < 20000; ++i) {
    garbage += "Key" + std::to_string(i) + "ThatNobodyKnowsAtAll=1\n";
  }
  const std::vector<Finding> findings = DiagnoseIniBytes("zelk.ini", garbage);
  ASSERT_EQ(501u, findings.size());
  EXPECT_EQ(FindingKind::kTooManyFindings, findings.back().kind);
}

// An installation in a temporary folder, the current folder while the test runs, so that
// relative paths resolve inside it.
class DoctorInstallationTest : public testing::ConfiguredHostTest {
 protected:
  void SetUp() override {
    previous_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(host_.folder().path());
  }
  void TearDown() override { std::filesystem::current_path(previous_folder_); }

  // The example installation's files beside the host, one entry at a time (copying a
  // folder onto an existing one is refused by some standard libraries).
  void CopyKiosk() const {
    const auto kiosk = testing::BuiltFile(ZELK_SOURCE_DIR) / "examples" / "kiosk";
    for (const auto& entry : std::filesystem::directory_iterator(kiosk)) {
      std::filesystem::copy(entry.path(), host_.folder().path() / entry.path().filename(),
                            std::filesystem::copy_options::recursive);
    }
  }

  std::filesystem::path Path(const char* relative) const {
    return host_.folder().path() / relative;
  }

  // The findings of one kind.
  static std::vector<Finding> Of(const Diagnosis& diagnosis, FindingKind kind) {
    std::vector<Finding> found;
    for (const Finding& finding : diagnosis.findings) {
      if (finding.kind == kind) {
        found.push_back(finding);
      }
    }
    return found;
  }

  std::filesystem::path previous_folder_;
};

TEST_F(DoctorInstallationTest, TheExampleKioskIsClean) {
  CopyKiosk();
  const Diagnosis diagnosis = DiagnoseInstallation();
  EXPECT_TRUE(diagnosis.ini_found);
  for (const Finding& finding : diagnosis.findings) {
    ADD_FAILURE() << FormatFinding(finding);
  }
}

// The findings an example file announces: "; planted: KIND" names a finding expected on
// the next line that is not a comment.
std::multiset<std::pair<size_t, std::string>> PlantedIn(const std::filesystem::path& file) {
  std::multiset<std::pair<size_t, std::string>> planted;
  std::vector<std::string> pending;
  std::ifstream in(file);
  const std::regex mark("^; planted: ([a-z-]+)");
  size_t number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    std::smatch match;
    if (std::regex_search(line, match, mark)) {
      pending.push_back(match[1]);
    } else if (!line.empty() && line[0] != ';') {
      for (const std::string& kind : pending) {
        planted.insert({number, kind});
      }
      pending.clear();
    }
  }
  return planted;
}

TEST_F(DoctorInstallationTest, ThePlantedMistakesAreFoundAtTheirLinesAndNothingElse) {
  const auto examples = testing::BuiltFile(ZELK_SOURCE_DIR) / "examples";
  CopyKiosk();
  std::filesystem::copy_file(examples / "mistakes" / "zelk.ini", Path("zelk.ini"),
                             std::filesystem::copy_options::overwrite_existing);
  registry_.SetRaw(RegistryHive::kLocalMachine, u"Browser", u"ShowCommandId", platform::kRegDword,
                   {1, 0, 0, 0});
  registry_.SetString(RegistryHive::kCurrentUser, u"Browser", u"OnlyLoadHTTP", u"FALSE");
  const Diagnosis diagnosis = DiagnoseInstallation();
  std::multiset<std::pair<size_t, std::string>> found_in_ini;
  std::set<std::string> found_in_registry;
  for (const Finding& finding : diagnosis.findings) {
    if (finding.file == diagnosis.ini_path) {
      found_in_ini.insert({finding.line, FindingKindId(finding.kind)});
    } else {
      found_in_registry.insert(FindingKindId(finding.kind));
    }
  }
  EXPECT_EQ(PlantedIn(examples / "mistakes" / "zelk.ini"), found_in_ini);
  std::set<std::string> planted_in_registry;
  for (const auto& [line, kind] : PlantedIn(examples / "mistakes" / "zelk-mistakes.reg")) {
    planted_in_registry.insert(kind);
  }
  EXPECT_EQ(planted_in_registry, found_in_registry);
  EXPECT_TRUE(diagnosis.HasErrors());
}

struct InstallationCase {
  const char* ini;
  size_t line;  // in zelk.ini
  FindingKind kind;
  Severity severity;
};

const InstallationCase kInstallationCases[] = {
    {"[Browser]\nCheckURLAccess=TRUE\n", 2, FindingKind::kUrlCheckWithoutFile, kE},
    {"[Files]\nCheckURLFile=filter.txt\n", 2, FindingKind::kFilterFileUnused, kW},
    {"[Browser]\nRestartOnClose=TRUE\n", 2, FindingKind::kRestartWithoutCommand, kE},
    {"[Browser]\nForceDefaults=TRUE\n", 2, FindingKind::kForceWithoutDefaults, kW},
    {"[Browser]\nDefaultPreferences=prefs.json\n", 2, FindingKind::kFileMissing, kE},
    {"[Browser]\nDefaultBookmarks=a-folder\n", 2, FindingKind::kFileWrongType, kE},
    {"[Browser]\nDefaultExtensions=TRUE\n", 2, FindingKind::kFileMissing, kE},
    {"[Browser]\nRestartOnClose=TRUE\n[Files]\nCommandLine=\"bin\\my browser\" --kiosk\n", 4,
     FindingKind::kFileMissing, kE},
    {"[Browser]\nCleanProfileOnClose=TRUE\nProfileFolder=no\\such\\profile\n", 3,
     FindingKind::kProfileFolderMissing, kW},
    {"[Browser]\nProfileFolder=no\\such\\profile\nDefaultPreferences=zelk.ini\n", 3,
     FindingKind::kSeedTargetMissing, kE},
    {"[Files]\nDeniedURLHTML=<p>Refused.</p>\n", 2, FindingKind::kDeniedPageNoPlaceholder, kW},
    {"[Files]\nDeniedURLHTML=Refused (DENIED_PAGE)\n", 2, FindingKind::kDeniedPageNotPage, kW},
    {"[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=a-folder\n", 4,
     FindingKind::kFileWrongType, kE},
};

TEST_F(DoctorInstallationTest, FindsEachInconsistencyAtTheLineThatSetIt) {
  std::filesystem::create_directory(Path("a-folder"));
  for (const InstallationCase& c : kInstallationCases) {
    SCOPED_TRACE(c.ini);
    host_.WriteIni(c.ini);
    const std::vector<Finding> found = Of(DiagnoseInstallation(), c.kind);
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(c.line, found[0].line) << found[0].message;
    EXPECT_EQ(c.severity, found[0].severity) << found[0].message;
  }
}

TEST_F(DoctorInstallationTest, TheFilterFileIsLintedAndItsExpectationsRun) {
  host_.WriteIni("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=filter.txt\n");
  testing::WriteFile(Path("filter.txt"),
                     "+example\\.org\n-(unclosed\n;expect deny https://example.org/\n-all\n");
  const Diagnosis diagnosis = DiagnoseInstallation();
  const std::vector<Finding> expectations = Of(diagnosis, FindingKind::kFilterExpectation);
  ASSERT_EQ(1u, expectations.size());
  EXPECT_EQ("filter.txt", expectations[0].file);
  EXPECT_EQ(3u, expectations[0].line);
  bool compile_error_at_its_line = false;
  for (const Finding& lint : Of(diagnosis, FindingKind::kFilterLint)) {
    compile_error_at_its_line |= lint.line == 2 && lint.severity == Severity::kError;
  }
  EXPECT_TRUE(compile_error_at_its_line) << Messages(diagnosis.findings);
}

TEST_F(DoctorInstallationTest, RegistryValuesTheReadersIgnoreAreReported) {
  host_.WriteIni("[Browser]\nCheckURLAccess=FALSE\n");
  registry_.SetRaw(RegistryHive::kLocalMachine, u"Browser", u"ShowCommandId", platform::kRegDword,
                   {1, 0, 0, 0});
  registry_.SetString(RegistryHive::kLocalMachine, u"Browser", u"Title",
                      std::u16string(1100, u'x'));
  registry_.SetRaw(RegistryHive::kLocalMachine, u"Browser", u"NewTabURL", platform::kRegSz,
                   {'a', 0, 'b'});
  registry_.SetString(RegistryHive::kLocalMachine, u"Browser", u"OnlyLoadHTTP", u"1");
  registry_.SetString(RegistryHive::kCurrentUser, u"Browser", u"CheckURLAccess", u"TRUE");
  const Diagnosis diagnosis = DiagnoseInstallation();
  const struct {
    FindingKind kind;
    const char* key;
  } kExpected[] = {
      {FindingKind::kRegistryTypeIgnored, "ShowCommandId"},
      {FindingKind::kRegistryValueTooLong, "Title"},
      {FindingKind::kRegistryValueMalformed, "NewTabURL"},
      {FindingKind::kNotTruthWord, "OnlyLoadHTTP"},
      {FindingKind::kUserOverride, "CheckURLAccess"},
  };
  for (const auto& expected : kExpected) {
    const std::vector<Finding> found = Of(diagnosis, expected.kind);
    ASSERT_EQ(1u, found.size()) << FindingKindId(expected.kind);
    EXPECT_EQ(expected.key, found[0].key);
#ifndef _WIN32
    EXPECT_NE(0u, found[0].line) << "the line of the .reg file";
#endif
  }
}

TEST_F(DoctorInstallationTest, AZelkIniThatCannotBeReadGivesAFindingNotAHang) {
  const auto ini = Path("zelk.ini");
  std::filesystem::remove(ini);
  EXPECT_EQ(FindingKind::kConfigMissing, DiagnoseInstallation().findings.at(0).kind);
  EXPECT_TRUE(boxes_.boxes().empty());  // a finding, not a box that waits for a click
  std::filesystem::create_directory(ini);
  EXPECT_EQ(FindingKind::kConfigUnreadable, DiagnoseInstallation().findings.at(0).kind);
  std::filesystem::remove(ini);
  testing::WriteFile(ini, "[Browser]\n" + std::string(size_t{2} << 20, ';'));
  const Diagnosis large = DiagnoseInstallation();
  EXPECT_EQ(FindingKind::kConfigUnreadable, large.findings.at(0).kind);
  EXPECT_NE(std::string::npos, large.findings[0].message.find("larger than"));
#ifndef _WIN32
  std::filesystem::remove(ini);
  ASSERT_EQ(0, mkfifo(ini.c_str(), 0600));  // would wait for a writer
  EXPECT_EQ(FindingKind::kConfigUnreadable, DiagnoseInstallation().findings.at(0).kind);
  std::filesystem::rename(ini, Path("pipe"));
  host_.WriteIni("[Browser]\nDefaultPreferences=pipe\n");
  EXPECT_EQ(FindingKind::kFileUnreadable, DiagnoseInstallation().findings.at(0).kind);
#endif
}

TEST_F(DoctorInstallationTest, CommandExitsOneOnErrorsAndPrintsJsonForScripts) {
  host_.WriteIni("[Browser]\nCheckURLAccess=yes\n");
  const Output text = Zelkctl({"doctor"});
  EXPECT_EQ(kExitFindings, text.status);
  EXPECT_NE(std::string::npos, text.out.find("zelk.ini:2: error: CheckURLAccess reads as FALSE"));
  const Output json = Zelkctl({"doctor", "--json"});
  EXPECT_EQ(kExitFindings, json.status);
  EXPECT_NE(std::string::npos, json.out.find("\"kind\":\"not-truth-word\""));
  EXPECT_EQ(kExitUsage, Zelkctl({"doctor", "extra"}).status);
  host_.WriteIni("[Browser]\nTitle=Kiosk\n");
  EXPECT_EQ(kExitOk, Zelkctl({"doctor"}).status);
}

// docs/doctor.md lists every kind under its id, and no id that the table lacks.
TEST(DoctorDocsTest, ThePageListsExactlyTheKindsOfTheTable) {
  std::ifstream in(testing::BuiltFile(ZELK_SOURCE_DIR) / "docs" / "doctor.md");
  ASSERT_TRUE(in) << "docs/doctor.md";
  std::set<std::string> documented;
  const std::regex heading("^### `([a-z0-9-]+)`");
  for (std::string line; std::getline(in, line);) {
    std::smatch match;
    if (std::regex_search(line, match, heading)) {
      documented.insert(match[1]);
    }
  }
  std::set<std::string> kinds;
  for (const FindingKindInfo& info : AllFindingKinds()) {
    kinds.insert(info.id);
  }
  EXPECT_EQ(kinds, documented);
}

}  // namespace
}  // namespace zelk::tools::doctor
