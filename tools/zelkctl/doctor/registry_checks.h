// The registry's part of the diagnosis, and the one home of the warning about a user's
// value that overrides a setting the kiosk's user must not change (settings shows it too).
#ifndef ZELK_TOOLS_ZELKCTL_DOCTOR_REGISTRY_CHECKS_H_
#define ZELK_TOOLS_ZELKCTL_DOCTOR_REGISTRY_CHECKS_H_

#include <string>

#include "config/readers.h"

namespace zelk::tools::doctor {

// Why HKCU's value of a security-relevant key is a risk ("HKCU overrides the value set in
// HKLM; ..."), or empty when it overrides nothing or the key is not security-relevant.
std::string UserOverrideText(bool security_relevant, const KeyLevels& levels);

}  // namespace zelk::tools::doctor

#endif  // ZELK_TOOLS_ZELKCTL_DOCTOR_REGISTRY_CHECKS_H_
