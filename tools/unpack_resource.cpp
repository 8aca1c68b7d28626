// Build and test tool: writes a "BINARY" resource of a PE file out,
// inflated when it is a COMP container (the worker inside the launcher).
//   unpack_resource EXE ID OUT
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "pe_resource.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: unpack_resource EXE ID OUT\n");
    return 2;
  }
  std::vector<unsigned char> image;
  FILE* in = std::fopen(argv[1], "rb");
  if (!in) return 1;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) image.insert(image.end(), chunk, chunk + got);
  std::fclose(in);
  std::vector<unsigned char> bytes =
      FindPeResource(image, 0, "BINARY", static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)));
  if (bytes.empty()) {
    std::fprintf(stderr, "%s: no BINARY %s\n", argv[1], argv[2]);
    return 1;
  }
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), "COMP", 4) == 0) {
    uLongf size = Get32(bytes, 4);
    std::vector<unsigned char> inflated(size);
    if (uncompress(inflated.data(), &size, bytes.data() + 8, static_cast<uLong>(bytes.size() - 8)) != Z_OK ||
        size != inflated.size()) {
      std::fprintf(stderr, "%s: BINARY %s does not inflate\n", argv[1], argv[2]);
      return 1;
    }
    bytes.swap(inflated);
  }
  FILE* out = std::fopen(argv[3], "wb");
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) return 1;
  return std::fclose(out) == 0 ? 0 : 1;
}
