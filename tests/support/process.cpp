#include "tests/support/process.h"

HANDLE StartProcess(const std::string& commandLine) {
  std::string line = commandLine;
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}

DWORD RunProcess(const std::string& commandLine, DWORD timeoutMs) {
  HANDLE process = StartProcess(commandLine);
  if (!process) return 0xFFFFFFFF;
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  else TerminateProcess(process, 99);
  CloseHandle(process);
  return code;
}
