#include "platform/files/final_path.h"

#include <cstring>
#include <cwchar>

#include "platform/paths/final_path_form.h"
#include "platform/system/ansi_text.h"
#include "platform/system/system_library.h"

namespace {

// Both Vista; CreateFileW is a stub on 9x, which never gets this far.
typedef DWORD(WINAPI* GetFinalPathNameByHandleWFunction)(HANDLE, LPWSTR, DWORD, DWORD);
typedef HANDLE(WINAPI* CreateFileWFunction)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

// FILE_NAME_NORMALIZED | VOLUME_NAME_DOS: long names, with a drive letter.
constexpr DWORD kNormalizedDosName = 0;
// Room for a path of MAX_PATH behind the longest prefix, "\\?\UNC\".
constexpr DWORD kFinalPathRoom = MAX_PATH + 8;

// A handle that only reads attributes takes no part in sharing: opening a
// folder so disturbs no other program.
constexpr DWORD kQueryOnly = FILE_READ_ATTRIBUTES;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool CanResolve() { return KernelFunction<GetFinalPathNameByHandleWFunction>("GetFinalPathNameByHandleW") != nullptr; }

}  // namespace

bool ResolveFinalPathW(wchar_t* path, DWORD size) {
  auto finalPathOf = KernelFunction<GetFinalPathNameByHandleWFunction>("GetFinalPathNameByHandleW");
  auto open = KernelFunction<CreateFileWFunction>("CreateFileW");
  if (!path || !path[0] || !finalPathOf || !open) return false;
  HANDLE folder = open(path, kQueryOnly, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  wchar_t finalPath[kFinalPathRoom];
  DWORD length = finalPathOf(folder, finalPath, kFinalPathRoom, kNormalizedDosName);
  CloseHandle(folder);
  // A buffer too small gives the size it needs, which is also >= the room.
  wchar_t plain[MAX_PATH];
  if (length == 0 || length >= kFinalPathRoom ||
      !PlainFormOfFinalPath(finalPath, path[std::wcslen(path) - 1] == L'\\', plain, MAX_PATH) ||
      std::wcslen(plain) >= size)
    return false;
  std::memcpy(path, plain, (std::wcslen(plain) + 1) * sizeof(wchar_t));
  return true;
}

bool ResolveFinalPath(char* path, DWORD size) {
  // In UTF-16, where a trail byte of 0x5C (Shift-JIS) is no separator.
  wchar_t wide[MAX_PATH];
  if (!path || !path[0] || !CanResolve() || MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) <= 0 ||
      !ResolveFinalPathW(wide, MAX_PATH))
    return false;
  // A name the code page cannot hold would come back as another name.
  char ansi[MAX_PATH];
  if (SurvivesAnsi(wide) && WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, MAX_PATH, nullptr, nullptr) > 0 &&
      std::strlen(ansi) < size) {
    std::memcpy(path, ansi, std::strlen(ansi) + 1);
    return true;
  }
  return false;
}
