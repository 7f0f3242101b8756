// doctor's diagnosis of the installation, as the findings at the top of the report.
#ifndef ZELK_TOOLS_ZELKCTL_REPORT_DOCTOR_FINDINGS_H_
#define ZELK_TOOLS_ZELKCTL_REPORT_DOCTOR_FINDINGS_H_

#include <vector>

#include "tools/zelkctl/doctor/doctor.h"
#include "tools/zelkctl/report/report_model.h"

namespace zelk::tools {

// Each finding with its place ("FILE:LINE", or the file alone) and its message followed by
// the stable kind id, in doctor's order.
std::vector<Finding> ReportFindings(const doctor::Diagnosis& diagnosis);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_REPORT_DOCTOR_FINDINGS_H_
