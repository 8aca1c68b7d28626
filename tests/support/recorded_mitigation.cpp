// The lookup of SetProcessMitigationPolicy in test builds of the launcher
// and the worker. With VT3_MITIGATION_ABSENT set the function is missing,
// as before Windows 8. Otherwise each request is appended to the file that
// VT3_MITIGATION_LOG names, "launcher|worker policy P flags 0xF size S", and
// passed on to the system's function where there is one.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/system/redirection_trust.h"
#include "platform/system/system_library.h"

namespace {

BOOL WINAPI RecordingSetter(int policy, PVOID buffer, SIZE_T size) {
  char log[MAX_PATH], program[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA("VT3_MITIGATION_LOG", log, MAX_PATH);
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  size_t programLength = std::strlen(program);
  bool worker = programLength > 4 && _stricmp(program + programLength - 4, ".tmp") == 0;
  FILE* file = length > 0 && length < MAX_PATH ? std::fopen(log, "a") : nullptr;
  if (file) {
    DWORD flags = buffer && size >= sizeof(DWORD) ? *static_cast<DWORD*>(buffer) : 0;
    std::fprintf(file, "%s policy %d flags 0x%lx size %lu\n", worker ? "worker" : "launcher", policy,
                 static_cast<unsigned long>(flags), static_cast<unsigned long>(size));
    std::fclose(file);
  }
  auto system = KernelFunction<MitigationPolicySetter>("SetProcessMitigationPolicy");
  return system ? system(policy, buffer, size) : FALSE;
}

}  // namespace

MitigationPolicySetter LookUpMitigationPolicySetter() {
  char absent[8];
  if (GetEnvironmentVariableA("VT3_MITIGATION_ABSENT", absent, sizeof absent)) return nullptr;
  return RecordingSetter;
}
