#include "tests/support/host_link.h"

#include <windows.h>

#include "platform/system/system_library.h"

namespace {

std::wstring Wide(const std::string& text, UINT codePage) {
  wchar_t wide[2 * MAX_PATH + 64];
  return MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide, sizeof wide / sizeof wide[0]) > 0 ? wide : L"";
}

// Wine's own export: the Unix name of a Windows path.
std::string UnixName(const std::wstring& path) {
  auto unixName = KernelFunction<char*(__cdecl*)(const wchar_t*)>("wine_get_unix_file_name");
  char* name = unixName && !path.empty() ? unixName(path.c_str()) : nullptr;
  if (!name) return "";
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

bool IsLink(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Runs a Unix command on two Unix names, then waits until `link` is a link
// or not, as `wanted`. Unix names are UTF-8: the command line goes in
// UTF-16, which Wine hands on as UTF-8, rather than through the code page.
bool RunUnix(const std::string& command, const std::string& first, const std::string& second,
             const std::string& link, bool wanted) {
  if (first.empty() || second.empty()) return false;
  std::wstring line = Wide(command + " \"" + first + "\" \"" + second + "\"", CP_UTF8);
  STARTUPINFOW startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  // Wine starts a Unix program given by its Unix path.
  if (line.empty() || !CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  // Its handle does not tell when a Unix program ends.
  for (int i = 0; i < 2000 && IsLink(link) != wanted; ++i) Sleep(5);
  return IsLink(link) == wanted;
}

}  // namespace

bool MakeHostLink(const std::wstring& target, const std::string& link) {
  return RunUnix("/bin/ln -s", UnixName(target), UnixName(Wide(link, CP_ACP)), link, true);
}

bool MakeHostLink(const std::string& target, const std::string& link) {
  return MakeHostLink(Wide(target, CP_ACP), link);
}

bool RemoveHostLink(const std::string& link) {
  return IsLink(link) && RunUnix("/bin/rm -f", "--", UnixName(Wide(link, CP_ACP)), link, false);
}
