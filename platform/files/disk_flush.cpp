#include "platform/files/disk_flush.h"

bool FlushFileToDisk(HANDLE file) {
  if (FlushFileCall(file)) return true;
  DWORD error = GetLastError();
  return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED;
}

LONG FlushKeyToDisk(HKEY key) { return FlushKeyCall(key); }
