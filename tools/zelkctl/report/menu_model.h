// The toolbar and the menus as the host will draw them: every keyed slot of the menu area,
// in record order, grouped by section, each with its value from the host's record and the
// command ids that the library answers from it.
#ifndef ZELK_TOOLS_ZELKCTL_REPORT_MENU_MODEL_H_
#define ZELK_TOOLS_ZELKCTL_REPORT_MENU_MODEL_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zelkctl/report/report_model.h"
#include "zelk/zelk.h"

namespace zelk::tools {

// Asks whether a command id may run; empty when it cannot be asked.
using CommandQuestion = std::function<std::optional<bool>(int32_t id)>;

// The menus of `record`. The slot that no key fills is left out: the host draws nothing
// from it. `ask` may be empty, and then no command answer is filled in.
std::vector<Menu> BuildMenus(const HostSettingsBlock& record, const CommandQuestion& ask);

// A key in words: capitals and runs of capitals start words ("CopyURL" is "Copy URL"), and
// the first letter is a capital ("zoom" is "Zoom").
std::string EntryLabel(std::string_view key);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_REPORT_MENU_MODEL_H_
