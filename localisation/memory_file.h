// A byte stream that holds a whole file in memory, so that the string table
// reads an embedded resource through the same code that reads a file.
#pragma once
#include <cstdint>
#include <cstdio>

enum MemoryFileFlags : uint32_t {
  kMemoryFileBinary = 0x0001,
  kMemoryFileText = 0x0002,
  kMemoryFileRead = 0x0004,
  kMemoryFileMemoryOnly = 0x4000,
};

struct MemoryFile {
  char name[260];
  FILE* diskStream;
  unsigned char* data;
  int32_t position;
  int32_t length;
  int32_t capacity;
  uint32_t flags;
};

// Modes: r (load the named file now), b, t, m (memory only). Write modes are
// not supported and give no stream, as does a name of 260 characters or more.
MemoryFile* MemoryFileOpen(const char* name, const char* mode);
unsigned char* MemoryFileAllocate(MemoryFile* stream, uint32_t count);
int32_t MemoryFileGetc(MemoryFile* stream);
int32_t MemoryFileSeek(MemoryFile* stream, int32_t offset, int32_t origin);
int32_t MemoryFileClose(MemoryFile* stream);
