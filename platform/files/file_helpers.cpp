#include "platform/files/file_helpers.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

void MakeWritable(const char* path) {
  if (!path || !*path) return;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
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
