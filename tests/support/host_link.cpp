#include "tests/support/host_link.h"

#include <windows.h>

namespace {

// Wine's own export: the Unix name of a Windows path.
std::string UnixName(const std::wstring& path) {
  typedef char*(__cdecl * UnixNameFunction)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixNameFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(path.c_str()) : nullptr;
  if (!name) return "";
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

std::string UnixName(const std::string& path) {
  wchar_t wide[MAX_PATH];
  return MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) > 0 ? UnixName(std::wstring(wide)) : "";
}

// Runs a Unix command line, then waits until `done` holds.
bool RunUnix(std::string command, bool (*done)(const std::string& path), const std::string& path) {
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  // Wine starts a Unix program given by its Unix path.
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  // Its handle does not tell when a Unix program ends.
  for (int i = 0; i < 2000; ++i) {
    if (done(path)) return true;
    Sleep(5);
  }
  return false;
}

bool IsLink(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsGone(const std::string& path) { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool MakeHostLink(const std::string& target, const std::string& link) {
  std::string unixTarget = UnixName(target), unixLink = UnixName(link);
  return !unixTarget.empty() && !unixLink.empty() &&
         RunUnix("/bin/ln -s \"" + unixTarget + "\" \"" + unixLink + "\"", IsLink, link);
}

bool MakeHostLink(const std::wstring& target, const std::string& link) {
  // Unix names are UTF-8: the command line goes in UTF-16, which Wine
  // hands on as UTF-8, rather than through the code page.
  std::string unixTarget = UnixName(target), unixLink = UnixName(link);
  std::string command = "/bin/ln -s \"" + unixTarget + "\" \"" + unixLink + "\"";
  wchar_t wide[2 * MAX_PATH + 64];
  if (unixTarget.empty() || unixLink.empty() ||
      MultiByteToWideChar(CP_UTF8, 0, command.c_str(), -1, wide, sizeof wide / sizeof wide[0]) <= 0)
    return false;
  STARTUPINFOW startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, wide, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  for (int i = 0; i < 2000 && !IsLink(link); ++i) Sleep(5);
  return IsLink(link);
}

bool RemoveHostLink(const std::string& link) {
  std::string unixLink = UnixName(link);
  return IsLink(link) && !unixLink.empty() && RunUnix("/bin/rm -f \"" + unixLink + "\"", IsGone, link);
}
