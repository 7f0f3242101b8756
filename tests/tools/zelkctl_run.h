// Runs zelkctl's commands in the test's own process, as `zelkctl ARGS...` would run them,
// and keeps what they printed.
#ifndef ZELK_TESTS_TOOLS_ZELKCTL_RUN_H_
#define ZELK_TESTS_TOOLS_ZELKCTL_RUN_H_

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/text.h"
#include "tools/zelkctl/cli.h"

namespace zelk::tools {

struct Output {
  int status;
  std::string out;
  std::string err;
};

inline Output Zelkctl(std::vector<std::string> args) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int status = RunZelkctl(std::move(args));
  Output run{status, ::testing::internal::GetCapturedStdout(), ""};
  run.err = ::testing::internal::GetCapturedStderr();
  return run;
}

// The lines of a command's output, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// The lines in the library's form, as a filter file's lines reach the linter.
inline std::vector<std::u16string> WideLines(const std::vector<std::string>& lines) {
  std::vector<std::u16string> wide;
  for (const std::string& line : lines) {
    wide.push_back(FromUtf8(line));
  }
  return wide;
}

}  // namespace zelk::tools

#endif  // ZELK_TESTS_TOOLS_ZELKCTL_RUN_H_
