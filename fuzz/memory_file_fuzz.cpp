// The memory stream's operations in the order and with the arguments the
// fuzzer's bytes choose; position must stay within 0 .. length.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "localisation/memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Names of 250 to 265 characters: under 260 they open, from 260 on they do not.
  std::string name(size ? 250 + (data[0] >> 4) : 4, 'n');
  MemoryFile* stream = MemoryFileOpen(name.c_str(), size && (data[0] & 1) ? "RbM" : "rbm");
  if ((stream != nullptr) != (name.size() < 260)) std::abort();
  if (!stream) return 0;
  if (name != stream->name) std::abort();
  size_t i = 1;
  auto next32 = [&]() {
    uint32_t value = 0;
    for (int k = 0; k < 4 && i < size; ++k) value = (value << 8) | data[i++];
    return value;
  };
  while (i < size) {
    const int operation = data[i++] % 4;
    if (operation == 0) {
      uint32_t count = next32() % 4096;
      unsigned char* buffer = MemoryFileAllocate(stream, count);
      if (buffer) std::memset(buffer, 0xA5, count);
    } else if (operation == 1) {
      int32_t c = MemoryFileGetc(stream);
      if (c < -1 || c > 255) std::abort();
    } else if (operation == 2) {
      int32_t offset = static_cast<int32_t>(next32());
      int32_t origin = static_cast<int32_t>(next32() % 5), before = stream->position;
      if (MemoryFileSeek(stream, offset, origin) != 0 && stream->position != before) std::abort();
    } else {
      while (MemoryFileGetc(stream) >= 0) continue;
    }
    if (stream->position < 0 || stream->position > stream->length || stream->length > stream->capacity) std::abort();
  }
  MemoryFileClose(stream);
  return 0;
}
