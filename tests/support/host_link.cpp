#include "tests/support/host_link.h"

#include <windows.h>

namespace {

// Wine's own export: the Unix name of a Windows path.
std::string UnixName(const std::string& path) {
  typedef char*(__cdecl * UnixNameFunction)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixNameFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  wchar_t wide[MAX_PATH];
  if (!unixName || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) <= 0) return "";
  char* name = unixName(wide);
  if (!name) return "";
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

}  // namespace

bool MakeHostLink(const std::string& target, const std::string& link) {
  std::string unixTarget = UnixName(target), unixLink = UnixName(link);
  if (unixTarget.empty() || unixLink.empty()) return false;
  // Wine starts a Unix program given by its Unix path.
  std::string command = "/bin/ln -s \"" + unixTarget + "\" \"" + unixLink + "\"";
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  // Its handle does not tell when a Unix program ends: the link tells.
  for (int i = 0; i < 2000; ++i) {
    DWORD attributes = GetFileAttributesA(link.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    Sleep(5);
  }
  return false;
}
