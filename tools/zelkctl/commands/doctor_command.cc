// zelkctl doctor: every configuration mistake of the installation zelkctl stands in, one a
// line, before the kiosk ships.
#include <cstdio>
#include <string>

#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/doctor/doctor.h"

namespace zelk::tools {
namespace {

int RunDoctor(Invocation& invocation) {
  if (!invocation.args.empty()) {
    std::fprintf(stderr, "zelkctl doctor: unknown argument %s (zelkctl doctor --help)\n",
                 invocation.args[0].c_str());
    return kExitUsage;
  }
  const doctor::Diagnosis diagnosis = doctor::DiagnoseInstallation();
  for (const std::string& line : doctor::FormatDiagnosis(diagnosis, invocation.json)) {
    PrintLine(line);
  }
  return diagnosis.HasErrors() ? kExitFindings : kExitOk;
}

}  // namespace

const Command kDoctorCommand = {
    "doctor", "[--json]",
    "check the installation as the library will read it: zelk.ini, the registry, the files "
    "keys name, the filter file (exit 1 on errors)",
    RunDoctor};

}  // namespace zelk::tools
