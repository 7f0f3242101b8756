#include "tools/zelkctl/support/output_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zelk::tools {

bool WriteFileBytes(const std::string& path, std::string_view bytes, bool make_folders) {
  const std::filesystem::path file = std::filesystem::u8path(path);
  if (make_folders) {
    // A folder that cannot be made shows as a file that cannot be written.
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

bool WriteOutput(const std::string& path, std::string_view text) {
  if (path.empty()) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  }
  return WriteFileBytes(path, text);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& line : lines) {
    size += line.size() + 1;
  }
  std::string text;
  text.reserve(size);  // a list of a million lines is joined without growing step by step
  for (const std::string& line : lines) {
    text.append(line).push_back('\n');
  }
  return text;
}

}  // namespace zelk::tools
