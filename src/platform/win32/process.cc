// Process creation and exit on Windows.
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <vector>

#include "platform/platform.h"

namespace zelk::platform {

uint32_t StartProcess(std::u16string_view command_line) {
  // CreateProcessW may write into the command line: it gets a private, writable copy.
  std::vector<wchar_t> writable(command_line.begin(), command_line.end());
  writable.push_back(L'\0');
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    const DWORD error = GetLastError();
    return error != 0 ? error : 31;  // ERROR_GEN_FAILURE
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return kErrorSuccess;
}

void EndProcess(uint32_t code) {
  std::cout.flush();
  std::cerr.flush();
  std::clog.flush();
  std::fflush(nullptr);
  ExitProcess(code);
}

}  // namespace zelk::platform
