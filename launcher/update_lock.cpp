#include "launcher/update_lock.h"

#include <cstring>

#include "platform/system/system_library.h"
#include "transport/control_block.h"

namespace {

const char kLockName[] = "Global\\Vt3UpdateRun";
const char kBoxCaption[] = "Vantor 3 v1.1.74.3";
const char kDialogText[] = "Vantor 3 - 1.1.74.3 - Please wait ...";

// NT 4.0 Terminal Server names itself in ProductSuite (a REG_MULTI_SZ),
// Microsoft's documented test on systems before VerifyVersionInfo.
bool IsTerminalServerSuite() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\ProductOptions", 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS)
    return false;
  char suites[4096];
  DWORD type = 0, size = sizeof suites - 2;
  bool found = false;
  if (RegQueryValueExA(key, "ProductSuite", nullptr, &type, reinterpret_cast<BYTE*>(suites), &size) ==
          ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    suites[size] = suites[size + 1] = 0;
    for (const char* name = suites; *name && !found; name += std::strlen(name) + 1)
      found = std::strcmp(name, "Terminal Server") == 0;
  }
  RegCloseKey(key);
  return found;
}

BOOL CALLBACK BringToFrontIfOurs(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  char text[64] = {};
  if (!GetClassNameA(window, text, sizeof text) || std::strcmp(text, "#32770") != 0) return TRUE;
  // GetWindowTextA reads another process's window without a message to
  // it, so that a hung first run cannot hang this one.
  bool ours = GetWindowTextA(window, text, sizeof text) && std::strcmp(text, kBoxCaption) == 0;
  HWND label = ours ? nullptr : GetDlgItem(window, 0xFFFF);
  if (label) {
    text[0] = 0;
    ours = GetWindowTextA(label, text, sizeof text) && std::strcmp(text, kDialogText) == 0;
  }
  if (!ours) return TRUE;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

}  // namespace

const char* UpdateLockName(bool globalNamespace) { return globalNamespace ? kLockName : kLockName + 7; }

bool HasGlobalNamespace() {
  if (!IsWindowsNT()) return false;
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return false;
  return version.dwMajorVersion >= 5 || IsTerminalServerSuite();
}

UpdateLock::~UpdateLock() {
  if (owned) ReleaseMutex(mutex);
  if (mutex) CloseHandle(mutex);
}

LockOutcome UpdateLock::Take() {
  // Not taken as initial owner: a mutex that exists already (another run's,
  // or one a program of the player made) answers only to the wait below.
  mutex = CreateMutexA(nullptr, FALSE, UpdateLockName(HasGlobalNamespace()));
  if (!mutex) return kLockFailed;
  DWORD result = WaitForSingleObject(mutex, 0);
  // Abandoned: its launcher was ended; what it started is judged by the
  // control block (WaitForEarlierRunToEnd).
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
    owned = true;
    return kLockTaken;
  }
  return result == WAIT_TIMEOUT ? kLockHeldByOther : kLockFailed;
}

bool ControlBlockExists() {
  HANDLE block = OpenFileMappingA(FILE_MAP_READ, FALSE, kControlSectionName);
  if (block) CloseHandle(block);
  // A section refused to us is there all the same.
  return block || GetLastError() == ERROR_ACCESS_DENIED;
}

bool WaitForEarlierRunToEnd(void (*pump)()) {
  DWORD start = GetTickCount();
  for (;;) {
    if (!ControlBlockExists()) return true;
    if (GetTickCount() - start >= earlierRunWait) return false;
    pump();
    Sleep(100);
  }
}

bool BringOtherRunToFront() {
  bool found = false;
  EnumWindows(BringToFrontIfOurs, reinterpret_cast<LPARAM>(&found));
  return found;
}
