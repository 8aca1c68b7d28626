#include "worker/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "platform/game_folder.h"
#include "platform/game_settings.h"
#include "platform/random_name.h"
#include "platform/system_library.h"

namespace {

// NT 4.0's shell32 has it; that every 9x one exports it (as a stub) is not
// documented, so it is looked up rather than imported, and called on NT only.
typedef BOOL(WINAPI* SHGetPathFromIDListWFunction)(LPCITEMIDLIST, LPWSTR);

// The folder's path, or false when the system cannot resolve it. On NT it
// comes whole as UTF-16, so that a profile named outside the code page
// keeps its letters; 9x knows its code page only.
bool SpecialFolderPath(int csidl, WCHAR* path) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return false;
  bool found;
  if (IsWindowsNT()) {
    auto getPath =
        LookUpFunction<SHGetPathFromIDListWFunction>(GetModuleHandleA("shell32.dll"), "SHGetPathFromIDListW");
    found = getPath && getPath(items, path) && path[0];
  } else {
    char narrow[MAX_PATH] = {};
    found = SHGetPathFromIDListA(items, narrow) && narrow[0] &&
            MultiByteToWideChar(CP_ACP, 0, narrow, -1, path, MAX_PATH) > 0;
  }
  // The shell's allocator is the task allocator only from Windows 2000 on.
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
    allocator->Free(items);
    allocator->Release();
  }
  return found;
}

// An existing directory, or a failure to make one, is not looked at.
void MakeDirectory(const WCHAR* path) {
  if (IsWindowsNT()) {
    CreateDirectoryW(path, nullptr);
    return;
  }
  char narrow[MAX_PATH];
  if (WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, MAX_PATH, nullptr, nullptr) > 0)
    CreateDirectoryA(narrow, nullptr);
}

// folder + an ASCII suffix in a buffer of MAX_PATH; false, with an empty
// buffer, when it would not fit.
bool JoinPath(WCHAR* buffer, const WCHAR* folder, const char* suffix) {
  size_t length = std::wcslen(folder), extra = std::strlen(suffix);
  buffer[0] = 0;
  if (length + extra >= MAX_PATH) return false;
  std::memcpy(buffer, folder, length * sizeof(WCHAR));
  for (size_t i = 0; i <= extra; ++i) buffer[length + i] = static_cast<unsigned char>(suffix[i]);
  return true;
}

// Stubs on 9x: looked up, and reached on NT only.
typedef BOOL(WINAPI* MoveFileExWFunction)(LPCWSTR, LPCWSTR, DWORD);
typedef BOOL(WINAPI* DeleteFileWFunction)(LPCWSTR);

// A per-user folder is the player's to prepare: the link's name there may
// already be a hard link to a file of the system, which Save would write
// through with administrator rights. On NT the link is saved under a fresh
// name nobody could have prepared and renamed over the old one, which
// replaces a name, never writes into the file behind it.
bool FreshNameBeside(const WCHAR* linkPath, WCHAR* fresh) {
  char suffix[kRandomDigits + 6] = ".";
  if (!IsWindowsNT() || !RandomDigits(suffix + 1)) return false;
  std::memcpy(suffix + 1 + kRandomDigits, ".tmp", 5);
  return JoinPath(fresh, linkPath, suffix);
}

void SaveShortcut(const WCHAR* linkPath, const char* target, const char* workingDirectory, const char* arguments) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return;
  link->SetPath(target);
  link->SetArguments(arguments);
  link->SetWorkingDirectory(workingDirectory);
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR fresh[MAX_PATH];
    auto move = KernelFunction<MoveFileExWFunction>("MoveFileExW");
    auto remove = KernelFunction<DeleteFileWFunction>("DeleteFileW");
    if (move && remove && FreshNameBeside(linkPath, fresh)) {
      if (SUCCEEDED(file->Save(fresh, TRUE)) && !move(fresh, linkPath, MOVEFILE_REPLACE_EXISTING)) remove(fresh);
    } else if (!IsWindowsNT()) {
      file->Save(linkPath, TRUE);
    }
    file->Release();
  }
  link->Release();
}

void CreatePair(const WCHAR* folder, const char* target, const char* gameDirectory) {
  WCHAR link[MAX_PATH];
  if (JoinPath(link, folder, "\\Vantor 3 (NoSetup).lnk")) SaveShortcut(link, target, gameDirectory, "-NoSetup");
  if (JoinPath(link, folder, "\\Vantor 3.lnk")) SaveShortcut(link, target, gameDirectory, "-Setup");
}

}  // namespace

void CreateShortcut(const char* linkPath, const char* target, const char* workingDirectory, const char* arguments) {
  if (!linkPath || !target || !workingDirectory || !arguments) return;
  WCHAR widePath[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, linkPath, -1, widePath, MAX_PATH) > 0)
    SaveShortcut(widePath, target, workingDirectory, arguments);
}

void CreateShortcuts(bool startMenu, bool desktop) {
  char folder[MAX_PATH];
  char gameDirectory[MAX_PATH];
  char target[MAX_PATH];
  // The working directory ends in one "\", a drive root's too.
  if (!ReadGameFolder(folder) || !JoinInFolder(gameDirectory, MAX_PATH, folder, "") ||
      !JoinInFolder(target, MAX_PATH, folder, "Vt3.exe"))
    return;
  FILE* probe = std::fopen(target, "rb");
  if (!probe) return;
  std::fclose(probe);
  if (startMenu) {
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
      WCHAR folder[MAX_PATH] = {};
      WCHAR maker[MAX_PATH];
      WCHAR game[MAX_PATH];
      if (!SpecialFolderPath(csidl, folder) || !JoinPath(maker, folder, "\\BrenmarkSoft") ||
          !JoinPath(game, folder, "\\BrenmarkSoft\\Vantor 3"))
        continue;
      MakeDirectory(maker);
      MakeDirectory(game);
      CreatePair(game, target, gameDirectory);
    }
  }
  if (desktop) {
    WCHAR folder[MAX_PATH] = {};
    if (SpecialFolderPath(CSIDL_DESKTOP, folder)) CreatePair(folder, target, gameDirectory);
  }
}
