// Where the registry's values are written, so that a finding about one can name it: on
// Linux the line of the .reg file that stands for the registry, on Windows the key path.
#ifndef ZELK_TOOLS_ZELKCTL_DOCTOR_REGISTRY_PLACE_H_
#define ZELK_TOOLS_ZELKCTL_DOCTOR_REGISTRY_PLACE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/emulation/reg_file.h"
#include "platform/platform.h"

namespace zelk::tools::doctor {

// One line of a .reg file below the product's key: a key header or a named value.
struct RegistryLine {
  platform::RegistryHive hive;
  std::u16string section;  // the path below "Software\Velmora Labs\Zelk\", as written
  std::u16string name;     // the value's name; empty for a key header
  size_t line;             // from 1
};

// The lines of a .reg file's bytes that lie below the product's key. Pure.
std::vector<RegistryLine> ScanRegistryBytes(std::string_view bytes);

// "HKLM" or "HKCU".
const char* HiveName(platform::RegistryHive hive);

class RegistryPlaces {
 public:
  // Reads the .reg file of ZELK_REGISTRY on Linux, bounded. On Windows the registry is
  // the system's and has no file: nothing is read. Returns why the file could not be
  // read, or empty.
  std::string Load();

  // The file (or key) and line that hold value `name` of `section` in `hive`.
  std::string FileOf(platform::RegistryHive hive, std::u16string_view section) const;
  size_t LineOf(platform::RegistryHive hive,
                std::u16string_view section,
                std::u16string_view name) const;

  // Every line below the product's key, with the file as the library parses it, so that
  // a name written there that the library never reads can be found; empty on Windows.
  const std::vector<RegistryLine>& lines() const { return lines_; }
  const platform::RegFile& parsed() const { return parsed_; }
  const std::string& file() const { return file_; }

 private:
  std::string file_;  // the .reg file as findings name it; empty on Windows
  std::vector<RegistryLine> lines_;
  platform::RegFile parsed_;
};

}  // namespace zelk::tools::doctor

#endif  // ZELK_TOOLS_ZELKCTL_DOCTOR_REGISTRY_PLACE_H_
