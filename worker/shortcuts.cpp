#include "worker/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <initializer_list>

#include "platform/file_helpers.h"
#include "platform/game_key.h"

namespace {

// The folder's path, or false when the system cannot resolve it.
bool SpecialFolderPath(int csidl, char* path) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return false;
  bool found = SHGetPathFromIDListA(items, path) && path[0];
  CoTaskMemFree(items);
  return found;
}

void CreatePair(const char* folder, const char* target, const char* gameDirectory) {
  char link[MAX_PATH];
  if (FormatPath(link, MAX_PATH, "%s\\Vantor 3 (NoSetup).lnk", folder))
    CreateShortcut(link, target, gameDirectory, "-NoSetup");
  if (FormatPath(link, MAX_PATH, "%s\\Vantor 3.lnk", folder)) CreateShortcut(link, target, gameDirectory, "-Setup");
}

}  // namespace

void CreateShortcut(const char* linkPath, const char* target, const char* workingDirectory, const char* arguments) {
  if (!linkPath || !target || !workingDirectory || !arguments) return;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return;
  link->SetPath(target);
  link->SetArguments(arguments);
  link->SetWorkingDirectory(workingDirectory);
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, linkPath, -1, widePath, MAX_PATH) > 0) file->Save(widePath, TRUE);
    file->Release();
  }
  link->Release();
}

void CreateShortcuts(bool startMenu, bool desktop) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char saved[MAX_PATH] = {};
  DWORD size = sizeof saved - 1;  // keeps a terminator even for a value stored without one
  LONG read = RegQueryValueExA(key, "SavingPath", nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &size);
  RegCloseKey(key);
  char gameDirectory[MAX_PATH];
  char target[MAX_PATH];
  if (read != ERROR_SUCCESS || !FormatPath(gameDirectory, MAX_PATH, "%s\\", saved) ||
      !FormatPath(target, MAX_PATH, "%sVt3.exe", gameDirectory))
    return;
  FILE* probe = std::fopen(target, "rb");
  if (!probe) return;
  std::fclose(probe);
  if (startMenu) {
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
      char folder[MAX_PATH] = {};
      char maker[MAX_PATH];
      char game[MAX_PATH];
      if (!SpecialFolderPath(csidl, folder) || !FormatPath(maker, MAX_PATH, "%s\\BrenmarkSoft", folder) ||
          !FormatPath(game, MAX_PATH, "%s\\BrenmarkSoft\\Vantor 3", folder))
        continue;
      CreateDirectoryA(maker, nullptr);
      CreateDirectoryA(game, nullptr);
      CreatePair(game, target, gameDirectory);
    }
  }
  if (desktop) {
    char folder[MAX_PATH] = {};
    if (SpecialFolderPath(CSIDL_DESKTOP, folder)) CreatePair(folder, target, gameDirectory);
  }
}
