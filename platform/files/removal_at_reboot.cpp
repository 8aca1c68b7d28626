#include "platform/files/removal_at_reboot.h"

#include <windows.h>

#include <cstdlib>

#include "platform/files/file_helpers.h"
#include "platform/files/file_write.h"
#include "platform/paths/path_join.h"
#include "platform/paths/wininit_rename.h"
#include "platform/system/system_library.h"

namespace {

// wininit.ini is a few lines; anything larger is not ours to rewrite.
constexpr DWORD kLargestWininit = 1 << 20;

// Windows 9x: wininit.exe reads 8.3 names only. WritePrivateProfileStringA
// cannot add a second "NUL=" key: it would replace another program's
// pending removal, so the line is added by hand.
bool ScheduleInWininit(const char* path) {
  char shortPath[MAX_PATH];
  DWORD shortLength = GetShortPathNameA(path, shortPath, MAX_PATH);
  char windows[MAX_PATH];
  UINT windowsLength = GetWindowsDirectoryA(windows, MAX_PATH);
  char ini[MAX_PATH];
  if (shortLength == 0 || shortLength >= MAX_PATH || windowsLength == 0 || windowsLength >= MAX_PATH ||
      !JoinInFolder(ini, MAX_PATH, windows, "wininit.ini"))
    return false;
  HANDLE file = CreateFileA(ini, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = GetFileSize(file, nullptr);
  bool done = false;
  char line[MAX_PATH + 4];
  if (size != INVALID_FILE_SIZE && size <= kLargestWininit && FormatPath(line, sizeof line, "NUL=%s", shortPath)) {
    size_t capacity = RenameTextCapacity(size, line);
    char* text = static_cast<char*>(std::malloc(size + 1));
    char* updated = static_cast<char*>(std::malloc(capacity));
    DWORD got = 0;
    if (text && updated && (size == 0 || (ReadFile(file, text, size, &got, nullptr) && got == size))) {
      size_t length = AddRenameLine(text, size, line, updated, capacity);
      done = length > 0 && SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
             WriteAll(file, updated, static_cast<uint32_t>(length)) && SetEndOfFile(file);
    }
    std::free(text);
    std::free(updated);
  }
  return CloseHandle(file) && done;
}

}  // namespace

bool RemoveAtReboot(const char* path) {
  if (!IsWindowsNT()) return ScheduleInWininit(path);
  // A stub that fails on 9x, and so never imported.
  typedef BOOL(WINAPI * MoveFileExFunction)(LPCSTR, LPCSTR, DWORD);
  auto move = KernelFunction<MoveFileExFunction>("MoveFileExA");
  return move && move(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
