// Writing what a command made: to standard output, or to the file named by -o or the
// command's own argument.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_OUTPUT_FILE_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_OUTPUT_FILE_H_

#include <string>
#include <string_view>
#include <vector>

namespace zelk::tools {

// Replaces the file at `path` (UTF-8) with `bytes`, creating the folders above it when
// `make_folders`. True only when every byte reached the file.
bool WriteFileBytes(const std::string& path, std::string_view bytes, bool make_folders = false);

// Writes `text` to standard output when `path` is empty, else to the file. True when all
// of it was written.
bool WriteOutput(const std::string& path, std::string_view text);

// The lines, each followed by a line end.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_OUTPUT_FILE_H_
