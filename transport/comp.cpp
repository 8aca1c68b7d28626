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

constexpr const char kBadSizeText[] = "bad size while uncompressing data\n";
constexpr const char kStreamErrorText[] = "Uncompress error!\n";

bool SizeFromHeader(const unsigned char* bytes, uint32_t length, uint32_t* rawSize) {
  *rawSize = ReadLittleEndian32(bytes + 4);
  if (*rawSize <= UINT32_MAX - 2 && RawSizePlausible(*rawSize, length - kCompHeaderSize)) return true;
  std::fputs(kBadSizeText, stdout);
  std::fflush(stdout);
  return false;
}

unsigned char* Inflate(const unsigned char* bytes, uint32_t length, uint32_t* resultLength) {
  uint32_t rawSize;
  if (!SizeFromHeader(bytes, length, &rawSize)) return nullptr;
  uint32_t streamLength = length - kCompHeaderSize;
  unsigned char* output = static_cast<unsigned char*>(std::malloc(rawSize + 2));
  if (!output) return nullptr;
  uLongf produced = rawSize + 2;
  int result = uncompress(output, &produced, bytes + kCompHeaderSize, streamLength);
  bool sizeRight = produced == rawSize;
  if (!sizeRight) std::fputs(kBadSizeText, stdout);
  if (result != Z_OK) std::fputs(kStreamErrorText, stdout);
  std::fflush(stdout);
  if (!sizeRight || result != Z_OK) {
    std::free(output);
    return nullptr;
  }
  if (resultLength) *resultLength = rawSize;
  return output;
}

// Output pieces small enough to stay in the cache until the caller has
// worked on them.
constexpr uint32_t kInflatePiece = 64 * 1024;

}  // namespace

bool CompRawSize(const void* bytes, uint32_t length, uint32_t* rawSize) {
  *rawSize = 0;
  return IsCompContainer(bytes, length) && SizeFromHeader(static_cast<const unsigned char*>(bytes), length, rawSize);
}

bool InflateCompInto(const void* bytes, uint32_t length, unsigned char* destination, InflatedBytes told,
                     void* context) {
  uint32_t rawSize;
  if (!CompRawSize(bytes, length, &rawSize)) return false;
  z_stream stream;
  std::memset(&stream, 0, sizeof stream);
  stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(bytes) + kCompHeaderSize);
  stream.avail_in = length - kCompHeaderSize;
  if (inflateInit(&stream) != Z_OK) {
    std::fputs(kStreamErrorText, stdout);
    std::fflush(stdout);
    return false;
  }
  int result = Z_OK;
  uint32_t produced = 0;
  while (result == Z_OK && produced < rawSize) {
    uint32_t room = rawSize - produced;
    stream.next_out = destination + produced;
    stream.avail_out = room < kInflatePiece ? room : kInflatePiece;
    result = inflate(&stream, Z_NO_FLUSH);
    produced = static_cast<uint32_t>(stream.total_out);
    if (told && (result == Z_OK || result == Z_STREAM_END)) told(destination, produced, context);
  }
  // A stream that goes on past rawSize: one spare byte tells.
  unsigned char spare;
  if (result == Z_OK) {
    stream.next_out = &spare;
    stream.avail_out = 1;
    result = inflate(&stream, Z_NO_FLUSH);
  }
  bool longer = stream.total_out > rawSize;
  inflateEnd(&stream);
  bool sizeRight = result == Z_STREAM_END && !longer && produced == rawSize;
  if (!sizeRight) std::fputs(kBadSizeText, stdout);
  if (result != Z_STREAM_END && !longer) std::fputs(kStreamErrorText, stdout);
  std::fflush(stdout);
  return sizeRight;
}

bool InflateCompPieces(const void* bytes, uint32_t length, InflatedPiece told, void* context) {
  uint32_t rawSize;
  if (!CompRawSize(bytes, length, &rawSize)) return false;
  unsigned char* piece = static_cast<unsigned char*>(std::malloc(kInflatePiece));
  if (!piece) return false;
  z_stream stream;
  std::memset(&stream, 0, sizeof stream);
  stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(bytes) + kCompHeaderSize);
  stream.avail_in = length - kCompHeaderSize;
  if (inflateInit(&stream) != Z_OK) {
    std::free(piece);
    std::fputs(kStreamErrorText, stdout);
    std::fflush(stdout);
    return false;
  }
  int result = Z_OK;
  bool taken = true;
  // One piece past rawSize at most: a stream that goes on tells by it.
  while (result == Z_OK && taken && stream.total_out <= rawSize) {
    stream.next_out = piece;
    stream.avail_out = kInflatePiece;
    result = inflate(&stream, Z_NO_FLUSH);
    uint32_t produced = kInflatePiece - stream.avail_out;
    if ((result == Z_OK || result == Z_STREAM_END) && produced && stream.total_out <= rawSize)
      taken = told(piece, produced, context);
  }
  bool sizeRight = result == Z_STREAM_END && stream.total_out == rawSize;
  inflateEnd(&stream);
  std::free(piece);
  if (!taken) return false;
  if (!sizeRight) std::fputs(kBadSizeText, stdout);
  if (result != Z_STREAM_END && result != Z_OK) std::fputs(kStreamErrorText, stdout);
  std::fflush(stdout);
  return sizeRight;
}

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
