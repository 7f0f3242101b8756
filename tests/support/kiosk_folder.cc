#include "tests/support/kiosk_folder.h"

#include <filesystem>

namespace zelk::testing {

namespace fs = std::filesystem;

std::u16string KioskFolder::Write(std::string_view relative, std::string_view bytes) const {
  WriteFile(folder().path() / fs::u8path(relative), bytes);
  return folder().WinPath(FromUtf8(relative));
}

std::string KioskFolder::Quoted(std::string_view relative) const {
  return "\"" + (folder().path() / fs::u8path(relative)).u8string() + "\"";
}

void KioskFolder::InstallFilter(std::string_view filter, std::string_view more_ini) const {
  const std::u16string filter_path = Write("filter.txt", filter);
  WriteIni("[Browser]\nCheckURLAccess=TRUE\n[Files]\nCheckURLFile=" + ToUtf8(filter_path) + "\n" +
           std::string(more_ini));
}

std::string KioskFolder::InstallBuiltTools(const char* library_path,
                                           const char* zelkctl_path) const {
  const fs::path library = BuiltFile(library_path);
  const fs::path tool = BuiltFile(zelkctl_path);
  fs::copy_file(library, folder().path() / library.filename());
  fs::copy_file(tool, folder().path() / tool.filename());
  return Quoted(tool.filename().u8string());
}

}  // namespace zelk::testing
