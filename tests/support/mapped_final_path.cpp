// For a test build of the launcher: drive X: as a mapped network drive
// shows on Vista and later, whose final path is the share's
// ("\\server\share\..."), which Wine cannot present. With VT3_X_FINAL_PATH
// set, a path on X: resolves to that value in place of "X:"; any other
// path is left as it is named.
#include <windows.h>

#include <cstring>

#include "platform/files/final_path.h"

bool ResolveFinalPath(char* path, DWORD size) {
  char share[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("VT3_X_FINAL_PATH", share, MAX_PATH);
  if (!path || !length || length >= MAX_PATH || (path[0] != 'X' && path[0] != 'x') || path[1] != ':') return false;
  size_t rest = std::strlen(path + 2);
  if (length + rest + 1 > size) return false;
  std::memmove(path + length, path + 2, rest + 1);
  std::memcpy(path, share, length);
  return true;
}

bool ResolveFinalPathW(wchar_t*, DWORD) { return false; }
