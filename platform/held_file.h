// A file written and then held open without write or delete sharing, from
// the moment it is written until the caller releases it: a program written
// to a folder that other programs of the user may write to cannot be
// swapped between its write and its start, which would hand those programs
// administrator rights.
#pragma once
#include <windows.h>

#include <cstdint>

class HeldFile {
 public:
  HeldFile();
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  // Creates or truncates `path`, writes the bytes, holds the file and reads
  // it back through the held handle. False, holding nothing, when the file
  // cannot be written or held, or does not read back as written.
  bool Write(const char* path, const void* bytes, uint32_t size);
  void Release();

 private:
  HANDLE handle;
};
