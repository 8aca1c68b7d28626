// Build tool for the benchmark: copies an executable and pads it (as
// overlay data, which the loader ignores) to a given size, with bytes that
// compress about as well as program code.
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: pad_file INPUT OUTPUT SIZE\n");
    return 2;
  }
  FILE* in = std::fopen(argv[1], "rb");
  if (!in) return 1;
  std::vector<unsigned char> bytes;
  int c;
  while ((c = std::fgetc(in)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
  std::fclose(in);
  size_t size = std::strtoul(argv[3], nullptr, 10);
  unsigned state = 150;
  for (size_t i = bytes.size(); i < size; ++i) {
    state = state * 1103515245u + 12345u;
    bytes.push_back((i % 16) < 9 ? static_cast<unsigned char>(state >> 24) : static_cast<unsigned char>(i % 7));
  }
  FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) return 1;
  return 0;
}
