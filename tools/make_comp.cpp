// Build tool: packs a file into a COMP container at zlib's best compression.
//   make_comp [--if-smaller | --as-is] INPUT OUTPUT
// --if-smaller keeps the file as it is unless the container is smaller;
// --as-is always keeps it. A file that itself begins with "COMP" is always
// packed: stored as it is, the launcher would take it for a container.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Write(const char* path, const std::vector<unsigned char>& bytes) {
  FILE* out = std::fopen(path, "wb");
  bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (out && std::fclose(out) != 0) written = false;
  if (!written) std::perror(path);
  return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc == 4 ? argv[1] : "";
  if (argc < 3 || argc > 4 || (argc == 4 && mode != "--if-smaller" && mode != "--as-is")) {
    std::fprintf(stderr, "usage: make_comp [--if-smaller | --as-is] INPUT OUTPUT\n");
    return 2;
  }
  const char* input = argv[argc - 2];
  const char* output = argv[argc - 1];
  FILE* in = std::fopen(input, "rb");
  if (!in) {
    std::perror(input);
    return 1;
  }
  std::vector<unsigned char> raw;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) raw.insert(raw.end(), chunk, chunk + got);
  std::fclose(in);
  if (raw.size() > 0xFFFFFFFFu - 2) {
    std::fprintf(stderr, "%s: too large for a container\n", input);
    return 1;
  }
  bool looksPacked = raw.size() >= 8 && std::memcmp(raw.data(), "COMP", 4) == 0;
  if (mode == "--as-is" && !looksPacked) return Write(output, raw);
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
  bool keep = !looksPacked && mode == "--if-smaller" && container.size() >= raw.size();
  return Write(output, keep ? raw : container);
}
