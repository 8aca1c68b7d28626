#include "transport/payload_resource.h"

#include <windows.h>

#include <cstdlib>

#include "transport/comp.h"
#include "transport/payload_view.h"

namespace {

bool WriteWhole(const char* path, const void* bytes, uint32_t size, HeldFile* hold, bool renamable, bool replacing) {
  HeldFile file;
  return (hold ? hold : &file)->Write(path, bytes, size, renamable, replacing);
}

bool PutPiece(const unsigned char* bytes, uint32_t size, void* sink) {
  return static_cast<PieceSink*>(sink)->Put(bytes, size);
}

struct Packed {
  const void* bytes;
  uint32_t size;
};

bool InflateInto(void* context, PieceSink* sink) {
  const Packed* packed = static_cast<const Packed*>(context);
  return InflateCompPieces(packed->bytes, packed->size, PutPiece, sink);
}

}  // namespace

bool WriteResourceToFile(uint32_t id, const char* path, HeldFile* hold, bool replacing) {
  PayloadView payload;
  if (!payload.Open(id)) return false;
  if (!IsCompContainer(payload.Bytes(), payload.Size()))
    return WriteWhole(path, payload.Bytes(), payload.Size(), hold, false, replacing);
  // Inflated straight from the stored bytes into the file, a piece at a
  // time: neither the resource nor the inflated whole needs a heap block.
  Packed packed = {payload.Bytes(), payload.Size()};
  HeldFile file;
  return (hold ? hold : &file)->WriteProduced(path, InflateInto, &packed, false, replacing);
}

bool WriteRawResourceToFile(uint32_t id, const char* path, HeldFile* hold, bool renamable) {
  const void* bytes;
  uint32_t size;
  if (!LoadPayloadResource(id, "BINARY", nullptr, &bytes, &size)) return false;
  // The file that is renamed into place is the one that replaces another.
  return WriteWhole(path, bytes, size, hold, renamable, renamable);
}
