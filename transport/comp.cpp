#include "transport/comp.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

uint32_t ReadLittleEndian32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Deflate cannot expand by more than about 1032:1; a larger claim is damage,
// and refusing it keeps a forged size from asking for gigabytes.
bool RawSizePlausible(uint32_t rawSize, uint32_t streamLength) {
  return static_cast<uint64_t>(rawSize) <= static_cast<uint64_t>(streamLength) * 1032u + 64u;
}

unsigned char* Inflate(const unsigned char* bytes, uint32_t length, uint32_t* resultLength) {
  uint32_t rawSize = ReadLittleEndian32(bytes + 4);
  uint32_t streamLength = length - kCompHeaderSize;
  if (rawSize > UINT32_MAX - 2 || !RawSizePlausible(rawSize, streamLength)) {
    std::fputs("bad size while uncompressing data\n", stdout);
    return nullptr;
  }
  unsigned char* output = static_cast<unsigned char*>(std::malloc(rawSize + 2));
  if (!output) return nullptr;
  uLongf produced = rawSize + 2;
  int result = uncompress(output, &produced, bytes + kCompHeaderSize, streamLength);
  bool sizeRight = produced == rawSize;
  if (!sizeRight) std::fputs("bad size while uncompressing data\n", stdout);
  if (result != Z_OK) std::fputs("Uncompress error!\n", stdout);
  std::fflush(stdout);
  if (!sizeRight || result != Z_OK) {
    std::free(output);
    return nullptr;
  }
  if (resultLength) *resultLength = rawSize;
  return output;
}

}  // namespace

bool IsCompContainer(const void* bytes, uint32_t length) {
  return bytes && length >= kCompHeaderSize && std::memcmp(bytes, "COMP", 4) == 0;
}

unsigned char* InflateComp(unsigned char* block, uint32_t length, uint32_t* resultLength) {
  if (resultLength) *resultLength = length;
  if (!IsCompContainer(block, length)) return block;
  unsigned char* output = Inflate(block, length, resultLength);
  std::free(block);
  return output;
}

unsigned char* InflateCompCopy(const void* bytes, uint32_t length, uint32_t* resultLength) {
  if (resultLength) *resultLength = length;
  if (IsCompContainer(bytes, length))
    return Inflate(static_cast<const unsigned char*>(bytes), length, resultLength);
  unsigned char* copy = static_cast<unsigned char*>(std::malloc(length ? length : 1));
  if (copy && length) std::memcpy(copy, bytes, length);
  return copy;
}
