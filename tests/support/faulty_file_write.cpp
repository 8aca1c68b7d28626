// For a test build: a write that puts one byte wrong into the file, as a
// failing disk, a filter driver or another program between our write and
// our hold might. What reads back otherwise must never be started.
#include <vector>

#include "platform/files/file_write.h"

bool WriteAll(HANDLE file, const void* bytes, uint32_t size) {
  std::vector<unsigned char> damaged(static_cast<const unsigned char*>(bytes),
                                     static_cast<const unsigned char*>(bytes) + size);
  if (size > 0) damaged[size / 2] ^= 0x01;
  DWORD written = 0;
  return WriteFile(file, damaged.data(), size, &written, nullptr) && written == size;
}
