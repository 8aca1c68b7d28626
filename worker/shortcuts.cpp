#include "worker/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "game/game_folder.h"
#include "platform/files/busy_retry.h"
#include "platform/files/file_closed.h"
#include "platform/files/file_helpers.h"
#include "platform/files/final_path.h"
#include "platform/files/held_folder.h"
#include "platform/files/random_name.h"
#include "platform/paths/path_join.h"
#include "platform/system/system_library.h"

namespace {

// NT 4.0's shell32 has it; that every 9x one exports it (as a stub) is not
// documented, so it is looked up rather than imported, and called on NT only.
typedef BOOL(WINAPI* SHGetPathFromIDListWFunction)(LPCITEMIDLIST, LPWSTR);

// The folder's path, or false when the system cannot resolve it. On NT it
// comes whole as UTF-16, so that a profile named outside the code page
// keeps its letters; 9x knows its code page only.
bool LookUpSpecialFolder(int csidl, WCHAR* path) {
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

// The three folders the shortcuts go into, by their final paths, found
// once before the worker refuses junctions that the player made: a desktop
// moved to another drive through one is still reached.
struct FoundFolder {
  int csidl;
  bool found;
  WCHAR path[MAX_PATH];
};
FoundFolder foundFolders[] = {{CSIDL_PROGRAMS, false, {}}, {CSIDL_COMMON_PROGRAMS, false, {}}, {CSIDL_DESKTOP, false, {}}};
bool foldersLookedUp = false;

bool SpecialFolderPath(int csidl, WCHAR* path) {
  if (!foldersLookedUp) FindShortcutFolders();
  for (const FoundFolder& folder : foundFolders)
    if (folder.csidl == csidl && folder.found) {
      std::memcpy(path, folder.path, sizeof folder.path);
      return true;
    }
  return false;
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

// A path and an ASCII suffix (no separator added) in a buffer of MAX_PATH;
// false, with an empty buffer, when it would not fit.
bool AppendAscii(WCHAR* buffer, const WCHAR* folder, const char* suffix) {
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
  return AppendAscii(fresh, linkPath, suffix);
}

// A scanner holds every fresh file for a moment: the rename over the old
// link, and the removal of a fresh file that cannot take its place (or of
// what a failed save left), are retried. What still cannot go stays for
// the next run to remove; removal at the next start of Windows would be a
// delete by name, as SYSTEM, in a folder the player can write.
bool PutInPlace(MoveFileExWFunction move, DeleteFileWFunction remove, const WCHAR* fresh, const WCHAR* link,
                bool saved) {
  bool placed = saved && RetryWhileBusy([&] { return move(fresh, link, MOVEFILE_REPLACE_EXISTING) != 0; });
  if (!placed) RetryWhileBusy([&] { return remove(fresh) != 0; });
  return placed;
}

// A name held by a scanner or another program is tried again, as a move.
bool SaveRetrying(IPersistFile* file, const WCHAR* path) {
  return RetryWhileBusy([&] {
    HRESULT result = file->Save(path, TRUE);
    if (SUCCEEDED(result)) return true;
    SetLastError(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : ERROR_GEN_FAILURE);
    return false;
  });
}

// A link on its way: on NT saved under a fresh name beside its own, to be
// renamed over it; on 9x saved under its own name at once.
struct PendingLink {
  WCHAR link[MAX_PATH];
  WCHAR fresh[MAX_PATH];  // empty where no fresh name was made
  bool saved;
};

// Saves the link (see PendingLink); true once saved.
bool SaveFresh(const WCHAR* linkPath, const char* target, const char* workingDirectory, const char* arguments,
               PendingLink* pending) {
  int length = 0;
  while (length < MAX_PATH - 1 && linkPath[length]) ++length;
  std::memcpy(pending->link, linkPath, length * sizeof(WCHAR));
  pending->link[length] = 0;
  pending->fresh[0] = 0;
  pending->saved = false;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return false;
  link->SetPath(target);
  link->SetArguments(arguments);
  link->SetWorkingDirectory(workingDirectory);
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    bool canMove = KernelFunction<MoveFileExWFunction>("MoveFileExW") && KernelFunction<DeleteFileWFunction>("DeleteFileW");
    if (canMove && FreshNameBeside(linkPath, pending->fresh)) {
      pending->saved = SaveRetrying(file, pending->fresh);
      if (pending->saved) NoteFileClosedW(pending->fresh);
    } else if (!IsWindowsNT() && SaveRetrying(file, linkPath)) {
      pending->fresh[0] = 0;
      NoteFileClosedW(linkPath);
      pending->saved = true;
    } else {
      pending->fresh[0] = 0;
    }
    file->Release();
  }
  link->Release();
  return pending->saved;
}

// True once the link is under its own name; a fresh file that cannot take
// its place is removed.
bool PlaceSaved(const PendingLink& pending) {
  if (!pending.fresh[0]) return pending.saved;
  return PutInPlace(KernelFunction<MoveFileExWFunction>("MoveFileExW"), KernelFunction<DeleteFileWFunction>("DeleteFileW"),
                    pending.fresh, pending.link, pending.saved);
}

// True once the link is saved under its name.
bool SaveShortcut(const WCHAR* linkPath, const char* target, const char* workingDirectory, const char* arguments) {
  PendingLink pending;
  SaveFresh(linkPath, target, workingDirectory, arguments, &pending);
  return PlaceSaved(pending);
}

// Saves the two links of a folder; a name too long for it is nothing to
// make. The links saved are added to `pending`; false when one failed.
bool SavePair(const WCHAR* folder, const char* target, const char* gameDirectory, PendingLink* pending, int* count) {
  static const struct {
    const WCHAR* name;
    const char* arguments;
  } pair[] = {{L"Vantor 3 (NoSetup).lnk", "-NoSetup"}, {L"Vantor 3.lnk", "-Setup"}};
  bool saved = true;
  for (const auto& link : pair) {
    WCHAR path[MAX_PATH];
    if (!JoinInFolder(path, MAX_PATH, folder, link.name)) continue;
    PendingLink* next = &pending[(*count)++];
    if (!SaveFresh(path, target, gameDirectory, link.arguments, next)) saved = false;
  }
  return saved;
}

// A folder shortcuts go into, held with the folder on the way to it below
// the shell folder, so that neither can be renamed, replaced or made a
// link while links are saved or removed there.
struct ShortcutFolder {
  HeldFolder maker, game;
  WCHAR path[MAX_PATH];
};

// Holds the folder the shortcuts of `csidl` go into: the desktop itself,
// or BrenmarkSoft\Vantor 3 in a Programs folder, BrenmarkSoft held and
// checked before Vantor 3 is made in it (with `make`). False, holding
// nothing, where one is missing or a link: a program of the player's may
// have made it one, to lead what this worker saves or deletes there with
// administrator rights into any folder (the Startup folder of every user).
bool HoldShortcutFolder(int csidl, bool make, ShortcutFolder* folder) {
  WCHAR shell[MAX_PATH] = {};
  WCHAR maker[MAX_PATH];
  if (!SpecialFolderPath(csidl, shell)) return false;
  if (csidl == CSIDL_DESKTOP) {
    std::memcpy(folder->path, shell, sizeof shell);
    return folder->game.HoldWide(folder->path);
  }
  if (!JoinInFolder(maker, MAX_PATH, shell, L"BrenmarkSoft") ||
      !JoinInFolder(folder->path, MAX_PATH, maker, L"Vantor 3"))
    return false;
  if (make) MakeDirectory(maker);
  if (!folder->maker.HoldWide(maker)) return false;
  if (make) MakeDirectory(folder->path);
  return folder->game.HoldWide(folder->path);
}

}  // namespace

void CreateShortcut(const char* linkPath, const char* target, const char* workingDirectory, const char* arguments) {
  if (!linkPath || !target || !workingDirectory || !arguments) return;
  WCHAR widePath[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, linkPath, -1, widePath, MAX_PATH) > 0)
    SaveShortcut(widePath, target, workingDirectory, arguments);
}

void FindShortcutFolders() {
  for (FoundFolder& folder : foundFolders) {
    folder.found = LookUpSpecialFolder(folder.csidl, folder.path);
    if (folder.found) ResolveFinalPathW(folder.path, MAX_PATH);
  }
  foldersLookedUp = true;
}

bool CreateShortcuts(const char* game, bool startMenu, bool desktop) {
  char gameDirectory[MAX_PATH];
  char target[MAX_PATH];
  // The working directory ends in one "\", a drive root's too.
  if (!game || !JoinInFolder(gameDirectory, MAX_PATH, game, "") ||
      !JoinInFolder(target, MAX_PATH, game, "Vt3.exe"))
    return false;
  // By its attributes, which opens nothing: the new game has just been
  // renamed into place, and a scanner may hold it sharing nothing.
  DWORD attributes = GetFileAttributesA(target);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // A folder the system does not have (no all-users Programs folder on 9x
  // without profiles), or a name too long for it, is nothing to make.
  bool made = true;
  // Every link is saved under its fresh name before any is renamed: a
  // scanner holds each fresh file for a moment, and so its holds overlap
  // instead of adding up. The folders stay held until all are in place.
  ShortcutFolder folders[3];
  PendingLink pending[6];
  int count = 0;
  const struct {
    bool wanted;
    int csidl;
    bool make;
  } places[] = {{startMenu, CSIDL_PROGRAMS, true}, {startMenu, CSIDL_COMMON_PROGRAMS, true}, {desktop, CSIDL_DESKTOP, false}};
  for (int i = 0; i < 3; ++i) {
    // A folder refused as a link is left alone, and counts as done.
    if (places[i].wanted && HoldShortcutFolder(places[i].csidl, places[i].make, &folders[i]) &&
        !SavePair(folders[i].path, target, gameDirectory, pending, &count))
      made = false;
  }
  for (int i = 0; i < count; ++i)
    if (!PlaceSaved(pending[i])) made = false;
  return made;
}

namespace {

typedef HANDLE(WINAPI* FindFirstFileWFunction)(LPCWSTR, LPWIN32_FIND_DATAW);
typedef BOOL(WINAPI* FindNextFileWFunction)(HANDLE, LPWIN32_FIND_DATAW);

void RemoveHalfMadeIn(const WCHAR* folder, FindFirstFileWFunction findFirst, FindNextFileWFunction findNext,
                      DeleteFileWFunction remove) {
  for (const char* link : {"Vantor 3.lnk", "Vantor 3 (NoSetup).lnk"}) {
    char suffix[64], prefix[64];
    WCHAR pattern[MAX_PATH];
    std::snprintf(suffix, sizeof suffix, "\\%s.*.tmp", link);
    // The name FreshNameBeside gives, in either case but for the link's own name.
    std::snprintf(prefix, sizeof prefix, "%s.", link);
    const UpdateNameForm halfMade = {prefix, ".tmp", true, false};
    if (!AppendAscii(pattern, folder, suffix)) continue;
    WIN32_FIND_DATAW found;
    HANDLE search = findFirst(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      WCHAR path[MAX_PATH];
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsUpdateName(found.cFileName, halfMade) ||
          !JoinInFolder(path, MAX_PATH, folder, found.cFileName))
        continue;
      RetryWhileBusy([&] { return remove(path) != 0; });
    } while (findNext(search, &found));
    FindClose(search);
  }
}

}  // namespace

void RemoveHalfMadeShortcuts() {
  // 9x saves links in place, under no other name.
  if (!IsWindowsNT()) return;
  auto findFirst = KernelFunction<FindFirstFileWFunction>("FindFirstFileW");
  auto findNext = KernelFunction<FindNextFileWFunction>("FindNextFileW");
  auto remove = KernelFunction<DeleteFileWFunction>("DeleteFileW");
  if (!findFirst || !findNext || !remove) return;
  for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_DESKTOP}) {
    ShortcutFolder folder;
    if (HoldShortcutFolder(csidl, false, &folder)) RemoveHalfMadeIn(folder.path, findFirst, findNext, remove);
  }
}
