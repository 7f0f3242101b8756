// The examples of docs/filter-language.md, run as written: every row of a "patterns" block
// against the compiler and matcher, every "filter" block through the linter (its ;expect
// lines must pass), and every "lint" block compared with the linter's output for the
// filter block before it.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/text.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/matcher.h"
#include "urlfilter/url_decision.h"

namespace zelk::tools {
namespace {

struct Block {
  std::string kind;  // the word after the opening fence
  size_t line;       // of the opening fence, from 1
  std::vector<std::string> lines;
};

std::vector<Block> ReadBlocks(const std::string& path) {
  std::ifstream in(path);
  std::vector<Block> blocks;
  bool inside = false;
  size_t number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.rfind("```", 0) == 0) {
      if (!inside) {
        blocks.push_back(Block{line.substr(3), number, {}});
      }
      inside = !inside;
    } else if (inside) {
      blocks.back().lines.push_back(line);
    }
  }
  return blocks;
}

class FilterLanguageDocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    blocks_ = ReadBlocks(std::string(ZELK_SOURCE_DIR) + "/docs/filter-language.md");
    ASSERT_FALSE(blocks_.empty()) << "docs/filter-language.md not found";
  }
  size_t Count(const std::string& kind) const {
    size_t count = 0;
    for (const Block& block : blocks_) {
      count += block.kind == kind ? 1 : 0;
    }
    return count;
  }
  std::vector<Block> blocks_;
};

TEST_F(FilterLanguageDocTest, PatternExamplesMatchAsStated) {
  const std::regex columns(R"((\S(?:.*?\S)?)\s{2,}(\S(?:.*?\S)?)\s{2,}(yes|no|error \w+)\s*)");
  size_t rows = 0;
  for (const Block& block : blocks_) {
    if (block.kind != "patterns") {
      continue;
    }
    for (size_t i = 1; i < block.lines.size(); ++i) {  // the first line is the header
      const std::string& row = block.lines[i];
      SCOPED_TRACE("docs line " + std::to_string(block.line + 1 + i) + ": " + row);
      std::smatch fields;
      ASSERT_TRUE(std::regex_match(row, fields, columns));
      UrlPattern pattern;
      const PatternError error = CompilePattern(FromUtf8(fields[1].str()), &pattern);
      const std::string result = fields[3].str();
      if (result.rfind("error ", 0) == 0) {
        EXPECT_EQ(result.substr(6), PatternErrorName(error));
      } else {
        ASSERT_EQ(PatternError::kOk, error);
        MatchState state;
        EXPECT_EQ(result == "yes", MatchPattern(pattern, FromUtf8(fields[2].str()), &state));
      }
      ++rows;
    }
  }
  EXPECT_GT(rows, 80u);
}

TEST_F(FilterLanguageDocTest, FilterExamplesPassTheirOwnExpectations) {
  ASSERT_GT(Count("filter"), 3u);
  for (const Block& block : blocks_) {
    if (block.kind != "filter") {
      continue;
    }
    SCOPED_TRACE("docs line " + std::to_string(block.line));
    const LintReport report = LintFilterLines(WideLines(block.lines));
    for (const ExpectationResult& result : report.expectations) {
      if (!result.passed) {
        // A failure is shown on purpose only when a lint block follows to show it.
        const auto next = &block - blocks_.data() + 1;
        EXPECT_TRUE(static_cast<size_t>(next) < blocks_.size() && blocks_[next].kind == "lint")
            << result.explanation;
      }
    }
  }
}

TEST_F(FilterLanguageDocTest, LintOutputIsTheLintersOwn) {
  ASSERT_GT(Count("lint"), 2u);
  const Block* filter = nullptr;
  for (const Block& block : blocks_) {
    if (block.kind == "filter") {
      filter = &block;
    } else if (block.kind == "lint") {
      SCOPED_TRACE("docs line " + std::to_string(block.line));
      ASSERT_NE(nullptr, filter);
      const LintReport report = LintFilterLines(WideLines(filter->lines));
      EXPECT_EQ(FormatLintReport("filter.txt", report, false), block.lines);
    }
  }
}

}  // namespace
}  // namespace zelk::tools
