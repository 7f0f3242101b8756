// The frame of zelkctl: options, the command table and the dispatch.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/platform.h"
#include "tools/zelkctl/cli.h"

namespace zelk::tools {
namespace {

const Command* const kCommands[] = {
    &kSettingsCommand,   &kCheckCommandCommand,   &kCheckUrlCommand,  &kLintCommand,
    &kDeniedPageCommand, &kExplainPatternCommand, &kStartCommand,     &kCleanCommand,
    &kEndCommand,        &kReferenceCommand,      &kTemplateCommand,  &kAdmxCommand,
    &kImportCommand,     &kImpactCommand,         &kCheckListCommand, &kDoctorCommand,
    &kReportCommand,
};

void PrintHelp() {
  PrintLine("usage: zelkctl [--library PATH] COMMAND [ARGS...]");
  PrintLine("");
  PrintLine("Loads the Zelk library the way the browser does (by default the one beside");
  PrintLine("zelkctl) and asks it what a kiosk installed here would do.");
  PrintLine("");
  PrintLine("commands:");
  for (const Command* command : kCommands) {
    char line[160];
    std::snprintf(line, sizeof(line), "  %-16s %s", command->name, command->summary);
    PrintLine(line);
  }
  PrintLine("");
  PrintLine("zelkctl COMMAND --help describes one command.");
}

std::string LibraryBesideTool() {
  std::string folder = ToUtf8(platform::HostExecutablePath());
#ifndef _WIN32
  // The library's paths keep the Windows form; the loader wants the OS's own.
  std::replace(folder.begin(), folder.end(), '\\', '/');
#endif
  const size_t slash = folder.find_last_of("\\/");
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  return folder + DefaultLibraryFileName();
}

const Command* FindCommand(const std::string& name) {
  for (const Command* command : kCommands) {
    if (name == command->name) {
      return command;
    }
  }
  return nullptr;
}

}  // namespace

int RunZelkctl(std::vector<std::string> args) {
  Invocation invocation;
  invocation.library_path = LibraryBesideTool();
  size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    if (args[i] == "--library" && i + 1 < args.size()) {
      invocation.library_path = args[++i];
    } else if (args[i] == "--help") {
      PrintHelp();
      return kExitOk;
    } else {
      std::fprintf(stderr, "zelkctl: unknown option %s\n", args[i].c_str());
      return kExitUsage;
    }
  }
  if (i == args.size()) {
    PrintHelp();
    return kExitUsage;
  }
  const Command* command = FindCommand(args[i]);
  if (command == nullptr) {
    std::fprintf(stderr, "zelkctl: unknown command %s (zelkctl --help lists them)\n",
                 args[i].c_str());
    return kExitUsage;
  }
  for (size_t k = i + 1; k < args.size(); ++k) {
    if (args[k] == "--help") {
      PrintLine(std::string("usage: zelkctl ") + command->name + " " + command->usage);
      PrintLine(command->summary);
      return kExitOk;
    }
    if (args[k] == "--json") {
      invocation.json = true;
    } else {
      invocation.args.push_back(args[k]);
    }
  }
  return command->run(invocation);
}

bool Invocation::LoadLibrary() {
  if (loaded_) {
    return true;
  }
  std::string error;
  // zelkctl explains answers with its own copy of the core, so it works only with the
  // library built from the same sources.
  if (!library.Load(library_path, &error) || !library.IsThisBuild(&error)) {
    std::fprintf(stderr, "zelkctl: %s\n", error.c_str());
    return false;
  }
  loaded_ = true;
  return true;
}

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace zelk::tools
