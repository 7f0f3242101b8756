// zelkctl lint, explain-pattern and denied-page's usage end to end, through RunZelkctl in this
// process, with their output captured.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "urlfilter/pattern/compiler.h"

namespace zelk::tools {
namespace {

using zelk::testing::TempFolder;

// Just enough JSON to read lint's output back: objects, arrays, strings with the escapes
// lint writes, integers and true/false.
struct Json {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool boolean = false;
  long long number = 0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> fields;

  const Json& operator[](const std::string& name) const { return fields.at(name); }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}

  bool Read(Json* value) {
    const bool ok = Value(value);
    Skip();
    return ok && pos_ == text_.size();
  }

 private:
  void Skip() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
      ++pos_;
    }
  }
  bool Eat(char c) {
    Skip();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Value(Json* value) {
    Skip();
    if (pos_ >= text_.size()) {
      return false;
    }
    const char c = text_[pos_];
    if (c == '{') {
      return Object(value);
    }
    if (c == '[') {
      return Array(value);
    }
    if (c == '"') {
      value->kind = Json::kString;
      return String(&value->text);
    }
    for (const char* word : {"true", "false"}) {
      if (text_.compare(pos_, std::strlen(word), word) == 0) {
        pos_ += std::strlen(word);
        value->kind = Json::kBool;
        value->boolean = word[0] == 't';
        return true;
      }
    }
    size_t used = 0;
    value->kind = Json::kNumber;
    value->number = std::stoll(text_.substr(pos_), &used);
    pos_ += used;
    return used != 0;
  }
  bool Object(Json* value) {
    value->kind = Json::kObject;
    ++pos_;
    if (Eat('}')) {
      return true;
    }
    do {
      std::string name;
      Skip();
      if (!String(&name) || !Eat(':') || !Value(&value->fields[name])) {
        return false;
      }
    } while (Eat(','));
    return Eat('}');
  }
  bool Array(Json* value) {
    value->kind = Json::kArray;
    ++pos_;
    if (Eat(']')) {
      return true;
    }
    do {
      value->items.emplace_back();
      if (!Value(&value->items.back())) {
        return false;
      }
    } while (Eat(','));
    return Eat(']');
  }
  bool String(std::string* out) {
    if (pos_ >= text_.size() || text_[pos_] != '"') {
      return false;
    }
    for (++pos_; pos_ < text_.size(); ++pos_) {
      char c = text_[pos_];
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) {
        return false;  // control characters must be escaped
      }
      if (c == '\\') {
        c = text_[++pos_];
        if (c == 'u') {
          *out += static_cast<char>(std::stoi(text_.substr(pos_ + 1, 4), nullptr, 16));
          pos_ += 4;
          continue;
        }
        c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
      }
      out->push_back(c);
    }
    return false;
  }

  const std::string& text_;
  size_t pos_ = 0;
};

class LintCommandTest : public ::testing::Test {
 protected:
  TempFolder folder_;
};

TEST_F(LintCommandTest, PrintsFindingsInCompilerForm) {
  const std::string path = folder_.Write("filter.txt", "; rules\r\n-[z-a]\r\nall\r\n+all\r\n");
  const Output run = Zelkctl({"lint", path});
  EXPECT_EQ(kExitFindings, run.status);
  const std::vector<std::string> expected = {
      path +
          ":2:5: error: the pattern does not compile (BadRange): every address that "
          "reaches this line is refused, and no later rule is looked at",
      path +
          ":3:1: warning: 'all' without a mark is not a default rule: its 'a' is taken as "
          "a deny mark, so this line is a deny rule for the pattern 'll'; write +all or -all",
      path + ": 1 error(s), 1 warning(s)",
  };
  EXPECT_EQ(expected, Lines(run.out));
}

TEST_F(LintCommandTest, ExitStatusFollowsTheFindings) {
  const struct {
    const char* bytes;
    int status;
  } cases[] = {
      {"+all\n-casino\n;expect deny http://casino/\n", kExitOk},
      {"+all\n-casino\n;expect allow http://casino/\n", kExitFindings},
      {"all\n", kExitOk},  // warnings only
      {"", kExitOk},
      {"-(\n", kExitFindings},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(c.status, Zelkctl({"lint", folder_.Write("f.txt", c.bytes)}).status);
  }
}

TEST_F(LintCommandTest, BadUsageAndUnreadableFilesAreUsageErrors) {
  EXPECT_EQ(kExitUsage, Zelkctl({"lint"}).status);
  EXPECT_EQ(kExitUsage, Zelkctl({"lint", "a.txt", "b.txt"}).status);
  const Output missing = Zelkctl({"lint", (folder_.path() / "missing.txt").u8string()});
  EXPECT_EQ(kExitUsage, missing.status);
  EXPECT_NE(std::string::npos, missing.err.find("cannot read"));
  EXPECT_EQ(kExitUsage, Zelkctl({"lint", folder_.path().u8string()}).status);
}

// The bytes are read as the library reads them: Ctrl-Z ends the file, a lone CR stays.
TEST_F(LintCommandTest, ReadsTheFileAsTheLibraryDoes) {
  const std::string path = folder_.Write("f.txt", std::string("+all\n-a\rb\n\x1a-[z-a]\n", 17));
  const Output run = Zelkctl({"lint", path});
  EXPECT_EQ(kExitOk, run.status) << run.out;
  EXPECT_EQ(path + ": 0 error(s), 0 warning(s)", Lines(run.out).back());
}

TEST_F(LintCommandTest, JsonHoldsEveryFindingAndExpectation) {
  const std::string path =
      folder_.Write("filter.txt",
                    "\xef\xbb\xbf; \"quoted\" \\ rules\n+example.com\n-\tx\n-[z-a]\n;expect allow "
                    "http://example.com/\n;expect deny http://example.com/\n");
  const Output run = Zelkctl({"lint", "--json", path});
  EXPECT_EQ(kExitFindings, run.status);
  Json json;
  ASSERT_TRUE(JsonReader(run.out).Read(&json)) << run.out;
  std::vector<std::u16string> lines = {u"\u00ef\u00bb\u00bf; \"quoted\" \\ rules",
                                       u"+example.com",
                                       u"-\tx",
                                       u"-[z-a]",
                                       u";expect allow http://example.com/",
                                       u";expect deny http://example.com/"};
  const LintReport report = LintFilterLines(lines);
  EXPECT_EQ(path, json["file"].text);
  EXPECT_EQ(static_cast<long long>(report.CountOf(Severity::kError)), json["errors"].number);
  EXPECT_EQ(static_cast<long long>(report.CountOf(Severity::kWarning)), json["warnings"].number);
  const std::vector<Json>& findings = json["findings"].items;
  ASSERT_EQ(report.findings.size(), findings.size());
  for (size_t i = 0; i < findings.size(); ++i) {
    const LintFinding& f = report.findings[i];
    EXPECT_EQ(path, findings[i]["file"].text);
    EXPECT_EQ(static_cast<long long>(f.line), findings[i]["line"].number);
    EXPECT_EQ(static_cast<long long>(f.column), findings[i]["column"].number);
    EXPECT_EQ(f.severity == Severity::kError ? "error" : "warning", findings[i]["severity"].text);
    EXPECT_EQ(f.check, findings[i]["check"].text);
    EXPECT_EQ(f.message, findings[i]["message"].text);
  }
  const std::vector<Json>& expectations = json["expectations"].items;
  ASSERT_EQ(2u, expectations.size());
  EXPECT_EQ(5, expectations[0]["line"].number);
  EXPECT_EQ("allow", expectations[0]["expect"].text);
  EXPECT_EQ("http://example.com/", expectations[0]["url"].text);
  EXPECT_EQ("allow", expectations[0]["result"].text);  // line 2 matches first
  EXPECT_TRUE(expectations[0]["passed"].boolean);
  EXPECT_EQ("deny", expectations[1]["expect"].text);
  EXPECT_FALSE(expectations[1]["passed"].boolean);
  EXPECT_EQ(report.expectations[1].explanation, expectations[1]["explanation"].text);
}

TEST(ExplainPatternCommandTest, ListsTheProgramOneInstructionPerLine) {
  for (const char* pattern : {"ab|cd", "^{a+}\\0$", "[^\\t]x?"}) {
    SCOPED_TRACE(pattern);
    const Output run = Zelkctl({"explain-pattern", pattern});
    EXPECT_EQ(kExitOk, run.status);
    UrlPattern compiled;
    ASSERT_EQ(PatternError::kOk, CompilePattern(FromUtf8(pattern), &compiled));
    // The listing lines, joined as DumpProgram joins them, give DumpProgram's listing.
    std::string joined;
    for (const std::string& line : Lines(run.out)) {
      const size_t first = line.find_first_not_of(' ');
      if (first != std::string::npos && std::isdigit(static_cast<unsigned char>(line[first]))) {
        const size_t gap = line.find("  ", first);
        joined += (joined.empty() ? "" : " | ") + line.substr(first, gap - first) + " " +
                  line.substr(gap + 2);
      }
    }
    EXPECT_EQ(DumpProgram(compiled.instructions()), joined);
  }
}

TEST(ExplainPatternCommandTest, ClassifiesAndNotes) {
  const struct {
    const char* pattern;
    const char* line;  // a line the output must hold
  } cases[] = {
      {"a*", "may be empty: yes"},
      {"a+", "may be empty: no"},
      {"x*", "matches every address: yes"},
      {"^abc", "anchored:     yes"},
      {"abc)def", "compiles:     yes, as 'abc'"},
      {"(a+)+", "note: column 1: the repeats nested in '(a+)+'"},
      {"+abc", "(the pattern is taken without a mark: here the leading '+' is part of it)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    const Output run = Zelkctl({"explain-pattern", c.pattern});
    EXPECT_EQ(kExitOk, run.status);
    EXPECT_NE(std::string::npos, run.out.find(c.line)) << run.out;
  }
}

TEST(ExplainPatternCommandTest, PointsAtWhereReadingStopped) {
  const Output run = Zelkctl({"explain-pattern", "ab[z-a]"});
  EXPECT_EQ(kExitFindings, run.status);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ("compiles:     no, BadRange (reading stopped at column 6)", lines[1]);
  EXPECT_EQ("  ab[z-a]", lines[2]);
  EXPECT_EQ("       ^", lines[3]);
  EXPECT_EQ(kExitUsage, Zelkctl({"explain-pattern"}).status);
  EXPECT_EQ(kExitUsage, Zelkctl({"explain-pattern", "a", "b"}).status);
}

TEST(FilterCommandsHelpTest, EachCommandDescribesItself) {
  for (const char* command : {"lint", "denied-page", "explain-pattern"}) {
    SCOPED_TRACE(command);
    const Output run = Zelkctl({command, "--help"});
    EXPECT_EQ(kExitOk, run.status);
    EXPECT_EQ(0u, run.out.find(std::string("usage: zelkctl ") + command + " "));
    EXPECT_EQ(2u, Lines(run.out).size());
  }
}

}  // namespace
}  // namespace zelk::tools
