// Starting another program and waiting for it, for commands that need a process of their
// own (the library keeps one filter list per load and finds zelk.ini beside the process's
// executable).
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_CHILD_PROCESS_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_CHILD_PROCESS_H_

#include <string>
#include <vector>

namespace zelk::tools {

// Runs `program` (a UTF-8 path) with `args`, sharing this process's standard streams, and
// waits for it. Returns its exit status, or -1 when it could not be started.
int RunChildProcess(const std::string& program, const std::vector<std::string>& args);

// This process's executable, as a path the OS takes (UTF-8).
std::string OwnExecutablePath();

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_CHILD_PROCESS_H_
