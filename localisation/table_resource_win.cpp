#include <windows.h>

#include "localisation/string_table.h"

MemoryFile* OpenTableResource(const char* name) {
  HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCEA(151), "LOCALISE");
  if (!info) return nullptr;
  HGLOBAL loaded = LoadResource(nullptr, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  DWORD size = SizeofResource(nullptr, info);
  if (!bytes) return nullptr;
  return OpenEmbeddedTableStream(name, bytes, size);
}
