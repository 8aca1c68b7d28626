// Build tool: packs a file into a COMP container at zlib's best compression.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_comp INPUT OUTPUT\n");
    return 2;
  }
  FILE* in = std::fopen(argv[1], "rb");
  if (!in) {
    std::perror(argv[1]);
    return 1;
  }
  std::vector<unsigned char> raw;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) raw.insert(raw.end(), chunk, chunk + got);
  std::fclose(in);
  if (raw.size() > 0xFFFFFFFFu - 2) {
    std::fprintf(stderr, "%s: too large for a container\n", argv[1]);
    return 1;
  }
  uLongf packedSize = compressBound(raw.size());
  std::vector<unsigned char> container(8 + packedSize);
  if (compress2(container.data() + 8, &packedSize, raw.data(), raw.size(), Z_BEST_COMPRESSION) != Z_OK) {
    std::fprintf(stderr, "compression failed\n");
    return 1;
  }
  uint32_t rawSize = static_cast<uint32_t>(raw.size());
  const unsigned char header[8] = {'C', 'O', 'M', 'P', static_cast<unsigned char>(rawSize),
                                   static_cast<unsigned char>(rawSize >> 8), static_cast<unsigned char>(rawSize >> 16),
                                   static_cast<unsigned char>(rawSize >> 24)};
  std::copy(header, header + 8, container.begin());
  container.resize(8 + packedSize);
  FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(container.data(), 1, container.size(), out) != container.size() || std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
