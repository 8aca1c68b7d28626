#include "platform/final_path.h"

#include <cstring>
#include <cwchar>

#include "platform/final_path_form.h"
#include "platform/private_folder.h"  // SurvivesAnsi
#include "platform/system_library.h"

namespace {

// Both Vista; CreateFileW is a stub on 9x, which never gets this far.
typedef DWORD(WINAPI* GetFinalPathNameByHandleWFunction)(HANDLE, LPWSTR, DWORD, DWORD);
typedef HANDLE(WINAPI* CreateFileWFunction)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

// FILE_NAME_NORMALIZED | VOLUME_NAME_DOS: long names, with a drive letter.
constexpr DWORD kNormalizedDosName = 0;
// Room for a path of MAX_PATH behind the longest prefix, "\\?\UNC\".
constexpr DWORD kFinalPathRoom = MAX_PATH + 8;

// Reading attributes needs no sharing of anybody's: opening a folder this
// way disturbs no other program.
constexpr DWORD kQueryOnly = FILE_READ_ATTRIBUTES;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The plain final path of an open folder; false where it has none or the
// system cannot tell it.
bool PlainFinalPath(HANDLE folder, bool trailingSeparator, wchar_t* plain, DWORD size) {
  auto finalPathOf = KernelFunction<GetFinalPathNameByHandleWFunction>("GetFinalPathNameByHandleW");
  if (!finalPathOf || folder == INVALID_HANDLE_VALUE) return false;
  wchar_t finalPath[kFinalPathRoom];
  DWORD length = finalPathOf(folder, finalPath, kFinalPathRoom, kNormalizedDosName);
  // Too small a buffer gives the size needed, which is also >= the room.
  if (length == 0 || length >= kFinalPathRoom) return false;
  return PlainFormOfFinalPath(finalPath, trailingSeparator, plain, size);
}

bool CanResolve() { return KernelFunction<GetFinalPathNameByHandleWFunction>("GetFinalPathNameByHandleW") != nullptr; }

}  // namespace

void ResolveFinalPath(char* path, DWORD size) {
  if (!path || !path[0] || !CanResolve()) return;
  size_t length = std::strlen(path);
  HANDLE folder = CreateFileA(path, kQueryOnly, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  wchar_t plain[MAX_PATH];
  bool found = PlainFinalPath(folder, path[length - 1] == '\\', plain, MAX_PATH);
  if (folder != INVALID_HANDLE_VALUE) CloseHandle(folder);
  // A name the code page cannot hold would come back as another name.
  char ansi[MAX_PATH];
  if (found && SurvivesAnsi(plain) &&
      WideCharToMultiByte(CP_ACP, 0, plain, -1, ansi, MAX_PATH, nullptr, nullptr) > 0 && std::strlen(ansi) < size)
    std::memcpy(path, ansi, std::strlen(ansi) + 1);
}

void ResolveFinalPathW(wchar_t* path, DWORD size) {
  auto open = KernelFunction<CreateFileWFunction>("CreateFileW");
  if (!path || !path[0] || !open || !CanResolve()) return;
  size_t length = std::wcslen(path);
  HANDLE folder = open(path, kQueryOnly, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  wchar_t plain[MAX_PATH];
  bool found = PlainFinalPath(folder, path[length - 1] == L'\\', plain, MAX_PATH);
  if (folder != INVALID_HANDLE_VALUE) CloseHandle(folder);
  if (found && std::wcslen(plain) < size) std::memcpy(path, plain, (std::wcslen(plain) + 1) * sizeof(wchar_t));
}
