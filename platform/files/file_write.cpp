#include "platform/files/file_write.h"

bool WriteAll(HANDLE file, const void* bytes, uint32_t size) {
  const unsigned char* at = static_cast<const unsigned char*>(bytes);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, at, size, &written, nullptr) || written == 0) return false;
    at += written;
    size -= written;
  }
  return true;
}
