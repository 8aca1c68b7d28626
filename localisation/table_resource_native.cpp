// Native builds have no resources: tests hand the loader the embedded table.
#include "localisation/string_table.h"

namespace {
const void* embeddedBytes = nullptr;
uint32_t embeddedSize = 0;
}  // namespace

void SetEmbeddedTable(const void* bytes, uint32_t size) {
  embeddedBytes = bytes;
  embeddedSize = size;
}

MemoryFile* OpenTableResource(const char* name) {
  if (!embeddedBytes) return nullptr;
  return OpenEmbeddedTableStream(name, embeddedBytes, embeddedSize);
}
