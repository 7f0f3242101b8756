// The installation doctor examines, read once: where zelk.ini is, its lines, and the
// registry file's lines on Linux. It places a finding about a key at the line that set
// the value the library reads.
#ifndef ZELK_TOOLS_ZELKCTL_DOCTOR_INSTALLATION_H_
#define ZELK_TOOLS_ZELKCTL_DOCTOR_INSTALLATION_H_

#include <string>
#include <string_view>
#include <vector>

#include "config/config_source.h"
#include "config/settings_table.h"
#include "tools/zelkctl/doctor/doctor.h"
#include "tools/zelkctl/doctor/ini_scan.h"
#include "tools/zelkctl/doctor/registry_place.h"

namespace zelk::tools::doctor {

struct Place {
  std::string file;
  size_t line = 0;
};

struct Installation {
  ConfigSource source;                 // zelk.ini located as the library locates it
  std::string ini_file;                // zelk.ini as findings name it
  std::vector<IniScanLine> ini_lines;  // empty when it could not be read
  RegistryPlaces registry;             // where registry values are written

  // Where the value the library reads for the key was set: the registry value that wins,
  // else its line in zelk.ini, else zelk.ini itself.
  Place PlaceOf(std::u16string_view section, std::u16string_view key) const;

  // A finding about a key, placed where its value was set.
  Finding KeyFinding(std::u16string_view section,
                     std::u16string_view key,
                     FindingKind kind,
                     Severity severity,
                     std::string message) const;
  // The same for a key of the settings table.
  Finding SettingFinding(Setting setting,
                         FindingKind kind,
                         Severity severity,
                         std::string message) const;
};

// A library path as the administrator's system writes it (slashes on Linux).
std::string DisplayPath(std::u16string_view path);

// The families of checks over the whole installation, each adding its findings.
void CheckRegistry(const Installation& installation, std::vector<Finding>* findings);
void CheckNamedFiles(const Installation& installation, std::vector<Finding>* findings);
void CheckSwitches(const Installation& installation, std::vector<Finding>* findings);
void CheckDeniedPage(const Installation& installation, std::vector<Finding>* findings);
void CheckFilterFile(const Installation& installation, std::vector<Finding>* findings);

}  // namespace zelk::tools::doctor

#endif  // ZELK_TOOLS_ZELKCTL_DOCTOR_INSTALLATION_H_
