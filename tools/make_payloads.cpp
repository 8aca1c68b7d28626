// Build tool: the stand-in payloads 130 (game data) and 134 (a BFV0
// archive), at the sizes of the real ones, each with CRC-32 checks that the
// stand-in data stage verifies.
//
//   130: "VT3D", version, body length, CRC-32 of the body, body.
//   134: "BFV0", file count, then per file: name length (16 bits), name,
//        size, CRC-32, bytes.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Put32(std::vector<unsigned char>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::vector<unsigned char> Filler(size_t size, uint32_t seed) {
  std::vector<unsigned char> bytes(size);
  uint32_t state = seed;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    // Some structure, so that the data compresses a little like real data.
    bytes[i] = (i % 64 < 40) ? static_cast<unsigned char>(state >> 24) : static_cast<unsigned char>(i % 64);
  }
  return bytes;
}

uint32_t Crc(const std::vector<unsigned char>& bytes, size_t from, size_t count) {
  return static_cast<uint32_t>(crc32(0, bytes.data() + from, static_cast<uInt>(count)));
}

bool Write(const char* path, const std::vector<unsigned char>& bytes) {
  FILE* file = std::fopen(path, "wb");
  bool ok = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file && std::fclose(file) != 0) ok = false;
  if (!ok) std::perror(path);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_payloads OUT130 SIZE130 OUT134 SIZE134\n");
    return 2;
  }
  size_t size130 = std::strtoul(argv[2], nullptr, 10), size134 = std::strtoul(argv[4], nullptr, 10);
  if (size130 < 64 || size134 < 4096) return 2;

  std::vector<unsigned char> data;
  std::vector<unsigned char> body = Filler(size130 - 16, 130);
  data.insert(data.end(), {'V', 'T', '3', 'D'});
  Put32(data, 0x00010001u);
  Put32(data, static_cast<uint32_t>(body.size()));
  Put32(data, Crc(body, 0, body.size()));
  data.insert(data.end(), body.begin(), body.end());

  const char* names[] = {"data\\tracks\\track13.trk", "data\\cars\\v3gt.car", "data\\textures\\track13.tex",
                         "data\\sounds\\engine_v3gt.wav"};
  const size_t count = sizeof names / sizeof names[0];
  std::vector<unsigned char> archive = {'B', 'F', 'V', '0'};
  Put32(archive, count);
  size_t overhead = archive.size();
  for (const char* name : names) overhead += 2 + std::string(name).size() + 8;
  size_t remaining = size134 - overhead;
  for (size_t i = 0; i < count; ++i) {
    std::string name = names[i];
    size_t size = (i + 1 == count) ? remaining : remaining / (count - i) / 2;
    remaining -= size;
    std::vector<unsigned char> file = Filler(size, static_cast<uint32_t>(1340 + i));
    archive.push_back(static_cast<unsigned char>(name.size()));
    archive.push_back(static_cast<unsigned char>(name.size() >> 8));
    archive.insert(archive.end(), name.begin(), name.end());
    Put32(archive, static_cast<uint32_t>(file.size()));
    Put32(archive, Crc(file, 0, file.size()));
    archive.insert(archive.end(), file.begin(), file.end());
  }
  return Write(argv[1], data) && Write(argv[3], archive) ? 0 : 1;
}
