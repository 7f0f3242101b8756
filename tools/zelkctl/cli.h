// The frame of zelkctl: one Command per subcommand, and what every command is handed.
#ifndef ZELK_TOOLS_ZELKCTL_CLI_H_
#define ZELK_TOOLS_ZELKCTL_CLI_H_

#include <cstdio>
#include <string>
#include <vector>

#include "tools/zelkctl/support/host_library.h"

namespace zelk::tools {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1;  // a check found errors
inline constexpr int kExitUsage = 2;     // bad usage, or the library could not be loaded

struct Invocation {
  std::vector<std::string> args;  // the command's own arguments
  std::string library_path;       // --library, or the library beside zelkctl
  bool json = false;              // --json

  // Loads the library on first use; prints the reason and returns false when it cannot.
  bool LoadLibrary();
  HostLibrary library;

 private:
  bool loaded_ = false;
};

struct Command {
  const char* name;
  const char* usage;    // arguments, for the help text
  const char* summary;  // one line
  int (*run)(Invocation& invocation);
};

// The commands, defined one per file.
extern const Command kSettingsCommand;
extern const Command kCheckCommandCommand;
extern const Command kReferenceCommand;
extern const Command kStartCommand;
extern const Command kCleanCommand;
extern const Command kEndCommand;
extern const Command kCheckUrlCommand;
extern const Command kTemplateCommand;
extern const Command kAdmxCommand;
extern const Command kLintCommand;
extern const Command kDeniedPageCommand;
extern const Command kExplainPatternCommand;
extern const Command kImportCommand;
extern const Command kImpactCommand;
extern const Command kCheckListCommand;
extern const Command kDoctorCommand;
extern const Command kReportCommand;

// zelkctl lint --profile FILE URLFILE (the arguments start with "--profile").
int RunLintProfile(Invocation& invocation);

// Runs zelkctl with its arguments (without the program name); returns the exit status.
int RunZelkctl(std::vector<std::string> args);

// Prints a UTF-8 line to standard output.
void PrintLine(const std::string& line);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_CLI_H_
