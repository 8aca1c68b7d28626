#include "platform/file_helpers.h"

#include <sys/stat.h>
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
  struct _stat64 status;
  if (_stat64(path, &status) != 0) return false;
  if (status.st_mode & _S_IFDIR) return false;
  if (size) *size = static_cast<uint32_t>(status.st_size > 0xFFFFFFFFll ? 0xFFFFFFFFu : status.st_size);
  if (modificationTime) *modificationTime = static_cast<int32_t>(status.st_mtime);
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
