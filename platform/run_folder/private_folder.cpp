#include "platform/run_folder/private_folder.h"

#include <cstring>

#include "platform/files/busy_retry.h"
#include "platform/files/file_helpers.h"
#include "platform/files/final_path.h"
#include "platform/files/random_name.h"
#include "platform/files/removal_at_reboot.h"
#include "platform/run_folder/admin_only_security.h"
#include "platform/run_folder/folder_creation.h"
#include "platform/system/ansi_text.h"
#include "platform/system/native_files.h"
#include "platform/system/system_library.h"

namespace {

constexpr int kNameAttempts = 8;

// Listing access makes the hold count in sharing checks (a handle with
// only attribute or control rights does not, and would let the folder be
// removed); control rights let the owner be read back. No DELETE: that is
// what the hold refuses everybody else.
constexpr ACCESS_MASK kHoldAccess = FILE_LIST_DIRECTORY | READ_CONTROL | SYNCHRONIZE;

// A folder the system names in UTF-16, in the ANSI code page.
bool AnsiFolder(const wchar_t* wide, char* path, DWORD size) {
  if (!SurvivesAnsi(wide) ||
      WideCharToMultiByte(CP_ACP, 0, wide, -1, path, static_cast<int>(size), nullptr, nullptr) <= 0) {
    if (size) path[0] = 0;
    return false;
  }
  return true;
}

// NT only. GetSystemWindowsDirectoryW is Windows 2000 and later only
// (Microsoft KB 281316); on a Terminal Server GetWindowsDirectory gives
// each user a folder of their own. Where the call is missing (NT 4.0, its
// Terminal Server Edition too) the system folder's parent is the Windows
// folder, shared by all users.
bool SystemTemporaryFolder(char* path, DWORD size) {
  typedef UINT(WINAPI * WindowsDirectoryFunction)(LPWSTR, UINT);
  auto windowsDirectory = KernelFunction<WindowsDirectoryFunction>("GetSystemWindowsDirectoryW");
  bool parent = !windowsDirectory;
  if (parent) windowsDirectory = KernelFunction<WindowsDirectoryFunction>("GetSystemDirectoryW");
  const wchar_t temp[] = L"\\Temp";
  wchar_t wide[MAX_PATH];
  UINT length = windowsDirectory ? windowsDirectory(wide, MAX_PATH) : 0;
  if (length == 0 || length >= MAX_PATH) return false;
  if (wide[length - 1] == L'\\') --length;
  if (parent) {
    while (length > 0 && wide[length - 1] != L'\\') --length;
    if (length < 3) return false;  // "C:\" at least, and never the root itself
    --length;
  }
  if (length + sizeof temp / sizeof temp[0] > MAX_PATH) return false;
  std::memcpy(wide + length, temp, sizeof temp);
  return AnsiFolder(wide, path, size);
}

bool RemoveDirectoryRetrying(const char* path) {
  return RetryWhileBusy([&] { return RemoveDirectoryA(path) != 0; });
}

}  // namespace

PrivateFolder::PrivateFolder() : fileCount(0), hold(nullptr) { path[0] = 0; }

PrivateFolder::~PrivateFolder() { Remove(); }

bool PrivateFolder::Create(const char* parent) {
  Remove();
  char base[MAX_PATH];
  DWORD length = parent && parent[0] ? GetFullPathNameA(parent, MAX_PATH, base, nullptr) : 0;
  if (length == 0 || length >= MAX_PATH) return false;
  while (length > 0 && base[length - 1] == '\\') base[--length] = 0;
  char candidate[MAX_PATH];
  if (!IsWindowsNT()) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      if (!RandomName(candidate, MAX_PATH, base, "vt3_", "")) return false;
      if (CreateDirectoryA(candidate, nullptr)) {
        std::memcpy(path, candidate, sizeof path);
        return true;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
  }
  // The protection comes with the creating call, and the hold with it: no
  // moment in which the player's inherited rights would let another
  // program in, nor one in which the folder could be swapped.
  AdminOnlySecurity security;
  if (!security.Build(true)) return false;
  bool withOwner = true;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    wchar_t native[kNativePathCapacity];
    USHORT bytes = 0;
    if (!RandomName(candidate, MAX_PATH, base, "vt3_", "") ||
        !NativePath(candidate, native, kNativePathCapacity, &bytes))
      return false;
    HANDLE folder = nullptr;
    LONG status = CreateFolderHeld(&folder, native, bytes, security.Descriptor(), kHoldAccess,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (status >= 0) {
      hold = folder;
      std::memcpy(path, candidate, sizeof path);
      return true;
    }
    // Owner rights missing from the token: the creator stays owner, the
    // entries still keep everybody else out. An administrator's token holds
    // Administrators with the right to own (SE_GROUP_OWNER), so on Windows
    // this does not happen; a folder made so would not prove itself the
    // update's to a later run (ProvesRunFolder), and stays.
    if (withOwner && status == kStatusInvalidOwner) {
      withOwner = false;
      if (!security.Build(false)) return false;
      continue;
    }
    if (status != kStatusNameCollision) return false;
  }
  return false;
}

bool PrivateFolder::FileName(char* name, DWORD size, const char* prefix, const char* extension) {
  if (!path[0] || fileCount == kMostFiles || !RandomName(name, size, path, prefix, extension) ||
      !FormatPath(files[fileCount], MAX_PATH, "%s", name)) {
    if (size) name[0] = 0;
    return false;
  }
  ++fileCount;
  return true;
}

void PrivateFolder::Remove() {
  if (!path[0]) return;
  // Never what a listing finds: whatever else is there is not ours. The
  // hold keeps each name inside this very folder.
  for (int i = 0; i < fileCount; ++i) {
    if (DeleteFileRetrying(files[i]) || GetLastError() == ERROR_FILE_NOT_FOUND) continue;
    // A program still running from it: it goes at the next start of Windows.
    RemoveAtReboot(files[i]);
  }
  fileCount = 0;
  if (hold) CloseHandle(hold);
  hold = nullptr;
  // Scheduled after its files, so that the folder is empty when its turn
  // comes. Windows 9x's wininit.ini removes files only: there the next
  // run removes the empty folder.
  if (!RemoveDirectoryRetrying(path) && IsWindowsNT()) RemoveAtReboot(path);
  path[0] = 0;
}

namespace {

// The temporary folder where its name survives the ANSI code page (NT),
// else false; on 9x the ANSI temporary folder, which is all there is.
bool AnsiTemporaryFolder(char* path, DWORD size) {
  if (size) path[0] = 0;
  if (!IsWindowsNT()) {
    DWORD length = GetTempPathA(size, path);
    return length > 0 && length < size;
  }
  // A stub on 9x; looked up so that only NT ever reaches it.
  typedef DWORD(WINAPI * GetTempPathWFunction)(DWORD, LPWSTR);
  auto getTempPath = KernelFunction<GetTempPathWFunction>("GetTempPathW");
  wchar_t wide[MAX_PATH];
  DWORD length = getTempPath ? getTempPath(MAX_PATH, wide) : 0;
  if (length == 0 || length >= MAX_PATH) return false;
  return AnsiFolder(wide, path, size);
}

}  // namespace

int RunFolderParents(char (*parents)[MAX_PATH], const char* gameFolder) {
  int count = 0;
  if (IsWindowsNT() && SystemTemporaryFolder(parents[count], MAX_PATH)) ++count;
  if (AnsiTemporaryFolder(parents[count], MAX_PATH)) ++count;
  if (gameFolder && gameFolder[0] && FormatPath(parents[count], MAX_PATH, "%s", gameFolder)) ++count;
  for (int i = 0; i < count; ++i) ResolveFinalPath(parents[i], MAX_PATH);
  return count;
}
