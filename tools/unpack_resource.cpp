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
  if (!ReadWholeFile(argv[1], &image)) return 1;
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
  return WriteWholeFile(argv[3], bytes.data(), bytes.size()) ? 0 : 1;
}
