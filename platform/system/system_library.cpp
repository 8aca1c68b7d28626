#include "platform/system/system_library.h"

#include <cstring>

namespace {

// Windows 8, or 7 and Vista with KB2533623.
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD);
SetDefaultDllDirectoriesFunction LookUpSetDefaultDllDirectories() {
  return KernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
}

}  // namespace

bool HasSearchFlags() { return LookUpSetDefaultDllDirectories() != nullptr; }

void RestrictDllSearch() {
  // Looked up at run time: Windows 9x and early NT have neither.
  auto setDefault = LookUpSetDefaultDllDirectories();
  if (setDefault) setDefault(kSearchSystemDirectoryOnly);
  SetDllDirectoryIfPresent("");
}

bool SetDllDirectoryIfPresent(const char* directory) {
  typedef BOOL(WINAPI * SetDllDirectoryFunction)(LPCSTR);
  auto setDirectory = KernelFunction<SetDllDirectoryFunction>("SetDllDirectoryA");
  return setDirectory && setDirectory(directory);
}

void GetDllDirectoryIfPresent(char* buffer, DWORD size) {
  typedef DWORD(WINAPI * GetDllDirectoryFunction)(DWORD, LPSTR);
  auto getDirectory = KernelFunction<GetDllDirectoryFunction>("GetDllDirectoryA");
  DWORD length = getDirectory ? getDirectory(size, buffer) : 0;
  if (length == 0 || length >= size) buffer[0] = 0;
}

HMODULE LoadSystemLibrary(const char* name) {
  char path[MAX_PATH];
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  size_t nameLength = std::strlen(name);
  if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
  path[length] = '\\';
  std::memcpy(path + length + 1, name, nameLength + 1);
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool IsWindowsNT() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
