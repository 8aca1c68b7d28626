// Build tool: checks what a patch embeds before it is built into the
// launcher, and prints the sizes.
//   check_payloads GAME_EXE PAYLOAD_130 PAYLOAD_134 STAMP
// Fails when a file is missing or empty, when the game executable is no PE
// file or carries no FileVersion (the worker could never find it newer than
// the installed game), or when the payloads would not fit a 32-bit size.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/pe_resource.h"
#include "worker/image_version.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: check_payloads GAME_EXE PAYLOAD_130 PAYLOAD_134 STAMP\n");
    return 2;
  }
  std::vector<unsigned char> game, data, archive;
  const char* names[3] = {argv[1], argv[2], argv[3]};
  std::vector<unsigned char>* files[3] = {&game, &data, &archive};
  for (int i = 0; i < 3; ++i) {
    if (!ReadWholeFile(names[i], files[i]) || files[i]->empty()) {
      std::fprintf(stderr, "%s: missing or empty\n", names[i]);
      return 1;
    }
  }
  if (game.size() < 64 || game[0] != 'M' || game[1] != 'Z') {
    std::fprintf(stderr, "%s: not a Windows executable\n", argv[1]);
    return 1;
  }
  // Read by the worker's own reader: what passes here, the worker finds.
  char version[kVersionStringSize];
  if (!GetImageFileVersion(game.data(), game.size(), version) || !version[0]) {
    std::fprintf(stderr, "%s: no FileVersion of plain ASCII in its version resource\n", argv[1]);
    return 1;
  }
  uint64_t total = static_cast<uint64_t>(data.size()) + archive.size() + game.size();
  if (data.size() > 0xFFFFFFFBu || archive.size() > 0xFFFFFFFBu || total > 0x7FFFFFFFu) {
    std::fprintf(stderr, "payloads too large for the launcher\n");
    return 1;
  }
  if (archive.size() < 4 || std::string(archive.begin(), archive.begin() + 4) != "BFV0")
    std::fprintf(stderr, "warning: %s does not begin with BFV0\n", argv[3]);
  std::printf("embedding: 132 new game %zu bytes, FileVersion %s; 130 %zu bytes; 134 %zu bytes\n", game.size(),
              version, data.size(), archive.size());
  FILE* stamp = std::fopen(argv[4], "w");
  if (!stamp) return 1;
  std::fprintf(stamp, "%s\n", version);
  return std::fclose(stamp) == 0 ? 0 : 1;
}
