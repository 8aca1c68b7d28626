// Build tool: the CRC-32 of each payload as the launcher stores it, so that
// the launcher can tell a damaged download before it touches anything.
//   payload_checksums OUT PAYLOAD_130 PAYLOAD_134 PAYLOAD_150
// OUT receives three little-endian 32-bit values, in that order.
#include <zlib.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: payload_checksums OUT PAYLOAD_130 PAYLOAD_134 PAYLOAD_150\n");
    return 2;
  }
  unsigned char out[12];
  for (int i = 0; i < 3; ++i) {
    FILE* file = std::fopen(argv[2 + i], "rb");
    if (!file) {
      std::fprintf(stderr, "%s: cannot be read\n", argv[2 + i]);
      return 1;
    }
    uLong crc = crc32(0, Z_NULL, 0);
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) crc = crc32(crc, chunk, static_cast<uInt>(got));
    std::fclose(file);
    for (int b = 0; b < 4; ++b) out[4 * i + b] = static_cast<unsigned char>(crc >> (8 * b));
  }
  FILE* file = std::fopen(argv[1], "wb");
  if (!file) return 1;
  bool written = std::fwrite(out, sizeof out, 1, file) == 1;
  return std::fclose(file) == 0 && written ? 0 : 1;
}
