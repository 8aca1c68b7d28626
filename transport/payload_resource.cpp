#include "transport/payload_resource.h"

#include <windows.h>

#include <cstdlib>

#include "platform/system/working_set.h"
#include "transport/comp.h"

namespace {

bool WriteWhole(const char* path, const void* bytes, uint32_t size, HeldFile* hold, bool renamable, bool replacing) {
  HeldFile file;
  return (hold ? hold : &file)->Write(path, bytes, size, renamable, replacing);
}

}  // namespace

bool LoadPayloadResource(uint32_t id, const char* type, const char* moduleName, const void** bytes,
                         uint32_t* size) {
  *bytes = nullptr;
  *size = 0;
  HMODULE module = moduleName ? GetModuleHandleA(moduleName) : GetModuleHandleA(nullptr);
  if (!module) return false;
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!info) return false;
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return false;
  const void* locked = LockResource(loaded);
  DWORD length = SizeofResource(module, info);
  if (!locked || length == 0) return false;
  *bytes = locked;
  *size = length;
  return true;
}

bool WriteResourceToFile(uint32_t id, const char* path, HeldFile* hold, bool replacing) {
  const void* bytes;
  uint32_t size;
  if (!LoadPayloadResource(id, "BINARY", nullptr, &bytes, &size)) return false;
  if (!IsCompContainer(bytes, size)) return WriteWhole(path, bytes, size, hold, false, replacing);
  // Inflated straight from the image: the resource needs no heap copy.
  uint32_t length = 0;
  unsigned char* inflated = InflateCompCopy(bytes, size, &length);
  LeaveWorkingSet(bytes, size);
  if (!inflated) return false;
  bool written = WriteWhole(path, inflated, length, hold, false, replacing);
  std::free(inflated);
  return written;
}

bool WriteRawResourceToFile(uint32_t id, const char* path, HeldFile* hold, bool renamable) {
  const void* bytes;
  uint32_t size;
  if (!LoadPayloadResource(id, "BINARY", nullptr, &bytes, &size)) return false;
  // The file that is renamed into place is the one that replaces another.
  return WriteWhole(path, bytes, size, hold, renamable, renamable);
}
