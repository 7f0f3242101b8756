// The examples of docs/importing-lists.md say what import writes: in every "import FORMAT"
// block each entry is followed by its rule, imported as allowed when the rule's mark is "+".
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tools/zelkctl/import/list_import.h"

namespace zelk::tools {
namespace {

struct Example {
  std::string format;
  size_t line;  // of the entry in the page, from 1
  std::string entry;
  std::string rule;
};

std::vector<Example> ReadExamples(const std::string& path) {
  std::ifstream in(path);
  std::vector<Example> examples;
  std::string format;
  bool entry_next = true;
  size_t number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.rfind("```", 0) == 0) {
      format = line.rfind("```import ", 0) == 0 ? line.substr(10) : "";
      entry_next = true;
    } else if (!format.empty() && entry_next) {
      examples.push_back(Example{format, number, line, ""});
      entry_next = false;
    } else if (!format.empty()) {
      examples.back().rule = line;
      entry_next = true;
    }
  }
  return examples;
}

TEST(ImportingDocTest, EveryExampleRuleIsWhatImportWrites) {
  const std::vector<Example> examples =
      ReadExamples(std::string(ZELK_SOURCE_DIR) + "/docs/importing-lists.md");
  ASSERT_GE(examples.size(), 15u) << "docs/importing-lists.md not found or without examples";
  for (const Example& example : examples) {
    SCOPED_TRACE("docs/importing-lists.md:" + std::to_string(example.line));
    ListSource source{"doc", ListFormat::kHosts, example.rule.rfind('+', 0) == 0, {example.entry}};
    ASSERT_TRUE(ParseListFormat(example.format, &source.format)) << example.format;
    const ImportResult result = ImportLists({source});
    ASSERT_EQ(1u, result.rules);
    EXPECT_EQ(example.rule, result.filter_lines.back());
  }
}

}  // namespace
}  // namespace zelk::tools
