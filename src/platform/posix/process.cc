// Process creation and exit on Linux. A started program is detached (a new session whose
// parent is not the host), so the host never has to wait for it and no zombie is left.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "common/text.h"
#include "platform/platform.h"
#include "platform/posix/command_line.h"
#include "platform/posix/file_status.h"
#include "platform/posix/posix_path.h"

extern char** environ;

namespace zelk::platform {
namespace {

constexpr uint32_t kErrorBadExeFormat = 193;

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program to run: a name with a separator as it stands, else the first executable of
// that name in PATH. 2 when a bare name is found nowhere.
uint32_t ResolveProgram(const std::string& name, std::string* path) {
  if (name.find('/') != std::string::npos) {
    *path = name;
    return kErrorSuccess;
  }
  const char* variable = std::getenv("PATH");
  const std::string search = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    const size_t end = search.find(':', start);
    std::string folder = search.substr(start, end == std::string::npos ? end : end - start);
    const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (IsExecutableFile(candidate)) {
      *path = candidate;
      return kErrorSuccess;
    }
    if (end == std::string::npos) {
      return kErrorFileNotFound;
    }
    start = end + 1;
  }
}

uint32_t ExecError(int error, const std::string& program) {
  switch (error) {
    case ENOEXEC:
      return kErrorBadExeFormat;
    case EACCES:
      return kErrorAccessDenied;
    default:
      return posix::Win32ErrorForPath(error, program);
  }
}

// Runs in the grandchild, after fork: only async-signal-safe calls. Every descriptor but
// the standard streams and the report pipe is closed, as no handle is inherited on
// Windows; the pipe closes itself at a successful exec, else it carries errno back.
[[noreturn]] void ExecDetached(const char* program, char* const* argv, int report_fd) {
  setsid();
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (report_fd > 3) {
    close_range(3, static_cast<unsigned>(report_fd) - 1, 0);
  }
  close_range(static_cast<unsigned>(report_fd) + 1, ~0U, 0);
  execve(program, argv, environ);
  const int error = errno;
  ssize_t ignored = write(report_fd, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

// Forks twice so the program's parent is not the host; the middle process ends at once
// and is reaped here. Returns 0 when the program was started, else errno of the failure.
int SpawnDetached(const char* program, char* const* argv) {
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    return errno;
  }
  const pid_t middle = fork();
  if (middle == 0) {
    const pid_t child = fork();
    if (child == 0) {
      ExecDetached(program, argv, report[1]);
    }
    if (child < 0) {
      const int error = errno;
      ssize_t ignored = write(report[1], &error, sizeof error);
      (void)ignored;
    }
    _exit(0);
  }
  int error = middle < 0 ? errno : 0;
  close(report[1]);
  if (middle > 0) {
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    ssize_t got;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (got != static_cast<ssize_t>(sizeof error)) {
      error = 0;  // the pipe closed at exec: the program runs
    }
  }
  close(report[0]);
  return error;
}

}  // namespace

uint32_t StartProcess(std::u16string_view command_line) {
  const std::vector<std::u16string> arguments = posix::SplitCommandLine(command_line);
  if (arguments.empty() || arguments[0].empty()) {
    return kErrorFileNotFound;
  }
  std::string program;
  if (const uint32_t error = ResolveProgram(posix::ToNativePath(arguments[0]), &program)) {
    return error;
  }
  std::vector<std::string> texts;
  texts.reserve(arguments.size());
  texts.push_back(posix::ToNativePath(arguments[0]));
  for (size_t i = 1; i < arguments.size(); ++i) {
    texts.push_back(ToUtf8(arguments[i]));
  }
  std::vector<char*> argv;
  argv.reserve(texts.size() + 1);
  for (std::string& text : texts) {
    argv.push_back(text.data());
  }
  argv.push_back(nullptr);
  const int error = SpawnDetached(program.c_str(), argv.data());
  return error == 0 ? kErrorSuccess : ExecError(error, program);
}

void EndProcess(uint32_t code) {
  std::cout.flush();
  std::cerr.flush();
  std::clog.flush();
  std::fflush(nullptr);
  _exit(static_cast<int>(code));
}

}  // namespace zelk::platform
