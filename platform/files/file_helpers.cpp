#include "platform/files/file_helpers.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "platform/files/file_information.h"
#include "platform/system/native_files.h"
#include "platform/system/system_library.h"

// On NT the file may be a second name, or a link, that the player made to
// a file elsewhere: only a plain file of one name loses its flag, through
// the handle that showed it to be one. 9x has neither.
void MakeWritable(const char* path) {
  constexpr DWORD kSettable = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | 0x2000;  // not content indexed
  if (!path || !*path) return;
  if (!IsWindowsNT()) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
      SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return;
  }
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            OpenReparsePointOption(), nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  BY_HANDLE_FILE_INFORMATION info;
  if (ReadFileInformation(file, &info) && IsSingleFile(info) && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    DWORD kept = info.dwFileAttributes & kSettable;
    SetAttributesOf(file, kept ? kept : FILE_ATTRIBUTE_NORMAL);
  }
  CloseHandle(file);
}

bool GetFileInfo(const char* path, uint32_t* size, int32_t* modificationTime) {
  if (!path || !*path) return false;
  // Not the runtime's _stat64: Windows 98's and NT 4.0's msvcrt.dll lack it.
  WIN32_FILE_ATTRIBUTE_DATA status;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &status)) return false;
  if (status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  if (size) *size = status.nFileSizeHigh ? 0xFFFFFFFFu : status.nFileSizeLow;
  if (modificationTime) {
    // 100-ns ticks since 1601 to seconds since 1970.
    uint64_t ticks = (static_cast<uint64_t>(status.ftLastWriteTime.dwHighDateTime) << 32) |
                     status.ftLastWriteTime.dwLowDateTime;
    *modificationTime = static_cast<int32_t>(static_cast<int64_t>(ticks / 10000000u) - 11644473600ll);
  }
  return true;
}

bool FormatPath(char* buffer, uint32_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int written = std::vsnprintf(buffer, size, format, arguments);
  va_end(arguments);
  if (written < 0 || static_cast<uint32_t>(written) >= size) {
    if (size) buffer[0] = 0;
    return false;
  }
  return true;
}
