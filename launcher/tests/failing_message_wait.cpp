// The launcher's wait as a Windows that refuses the wake mask answers it:
// every call fails with ERROR_INVALID_PARAMETER. Each call is counted in
// the test's mapping, when there is one.
#include "launcher/message_wait.h"
#include "launcher/tests/wait_probe.h"

DWORD WaitForObjectOrInput(HANDLE, DWORD) {
  static WaitProbe* const probe = [] {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kWaitProbeMapping);
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(WaitProbe)) : nullptr;
    if (mapping) CloseHandle(mapping);  // the view holds the section
    return static_cast<WaitProbe*>(view);
  }();
  if (probe) {
    if (probe->calls++ == 0) probe->firstTick = GetTickCount();
    probe->lastTick = GetTickCount();
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return WAIT_FAILED;
}
