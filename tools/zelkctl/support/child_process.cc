#include "tools/zelkctl/support/child_process.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "common/text.h"
#include "platform/platform.h"

namespace zelk::tools {
namespace {

#ifdef _WIN32
// One argument quoted so that the child's command-line splitting gives it back unchanged.
std::u16string QuoteArgument(const std::u16string& arg) {
  if (!arg.empty() && arg.find_first_of(u" \t\"") == std::u16string::npos) {
    return arg;
  }
  std::u16string quoted = u"\"";
  size_t backslashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, u'\\');
  return quoted + u"\"";
}
#endif

// Starts the program with the arguments and waits for it; its exit status, or -1 when it
// could not be started or did not end by itself.
#ifdef _WIN32
int RunAndWait(const std::string& program, const std::vector<std::string>& args) {
  std::u16string command_line = QuoteArgument(FromUtf8(program));
  for (const std::string& arg : args) {
    command_line += u" " + QuoteArgument(FromUtf8(arg));
  }
  const std::u16string wide_program = FromUtf8(program);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(reinterpret_cast<const wchar_t*>(wide_program.c_str()),
                      reinterpret_cast<wchar_t*>(command_line.data()), nullptr, nullptr, TRUE, 0,
                      nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
#else
int RunAndWait(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> argv_text = {program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) {
    return -1;
  }
  if (child == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      return -1;
    }
  }
  return WIFEXITED(status) && WEXITSTATUS(status) != 127 ? WEXITSTATUS(status) : -1;
}
#endif

}  // namespace

int RunChildProcess(const std::string& program, const std::vector<std::string>& args) {
  std::fflush(stdout);
  std::fflush(stderr);
  return RunAndWait(program, args);
}

std::string OwnExecutablePath() {
  std::string path = ToUtf8(platform::HostExecutablePath());
#ifndef _WIN32
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return path;
}

}  // namespace zelk::tools
