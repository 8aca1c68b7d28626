#include "platform/held_file.h"

#include <cstring>

namespace {

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

bool ReadsBackAs(HANDLE file, const void* bytes, uint32_t size) {
  if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0) return false;
  const unsigned char* expected = static_cast<const unsigned char*>(bytes);
  unsigned char chunk[65536];
  uint32_t compared = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return false;
    if (got == 0) return compared == size;
    if (got > size - compared || std::memcmp(chunk, expected + compared, got) != 0) return false;
    compared += got;
  }
}

}  // namespace

HeldFile::HeldFile() : handle(INVALID_HANDLE_VALUE) {}

HeldFile::~HeldFile() { Release(); }

void HeldFile::Release() {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

bool HeldFile::Write(const char* path, const void* bytes, uint32_t size) {
  Release();
  HANDLE writer = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  if (writer == INVALID_HANDLE_VALUE) return false;
  if (!WriteAll(writer, bytes, size)) {
    CloseHandle(writer);
    return false;
  }
  // The writer's access must go before a program can start from the file.
  // A bridge handle that refuses deletion keeps the file in place while the
  // writer closes; the held handle then refuses writers too. Whatever
  // another program managed in between shows in the read-back.
  HANDLE bridge = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  bool closed = CloseHandle(writer) != 0;  // a full disk may show only now
  HANDLE held = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (bridge != INVALID_HANDLE_VALUE) CloseHandle(bridge);
  if (held == INVALID_HANDLE_VALUE) return false;
  if (!closed || !ReadsBackAs(held, bytes, size)) {
    CloseHandle(held);
    return false;
  }
  handle = held;
  return true;
}
