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

namespace {

bool Read(const char* path, std::vector<unsigned char>* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->insert(bytes->end(), chunk, chunk + got);
  std::fclose(file);
  return true;
}

// The value after the UTF-16 key "FileVersion" of a VS_VERSIONINFO string
// table, or "" when there is none.
std::string FileVersion(const std::vector<unsigned char>& image) {
  const char key[] = "FileVersion";
  const size_t keyBytes = sizeof key * 2;  // with its terminator
  for (size_t at = 0; at + keyBytes + 4 < image.size(); at += 2) {
    bool match = true;
    for (size_t k = 0; k < sizeof key && match; ++k)
      match = image[at + 2 * k] == static_cast<unsigned char>(key[k]) && image[at + 2 * k + 1] == 0;
    if (!match) continue;
    size_t value = at + keyBytes;
    while (value % 4) ++value;  // values start on a 32-bit boundary
    std::string text;
    for (; value + 1 < image.size() && (image[value] || image[value + 1]) && text.size() < 256; value += 2)
      text += image[value + 1] ? '?' : static_cast<char>(image[value]);
    if (!text.empty()) return text;
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: check_payloads GAME_EXE PAYLOAD_130 PAYLOAD_134 STAMP\n");
    return 2;
  }
  std::vector<unsigned char> game, data, archive;
  const char* names[3] = {argv[1], argv[2], argv[3]};
  std::vector<unsigned char>* files[3] = {&game, &data, &archive};
  for (int i = 0; i < 3; ++i) {
    if (!Read(names[i], files[i]) || files[i]->empty()) {
      std::fprintf(stderr, "%s: missing or empty\n", names[i]);
      return 1;
    }
  }
  if (game.size() < 64 || game[0] != 'M' || game[1] != 'Z') {
    std::fprintf(stderr, "%s: not a Windows executable\n", argv[1]);
    return 1;
  }
  std::string version = FileVersion(game);
  if (version.empty()) {
    std::fprintf(stderr, "%s: no FileVersion in its version resource\n", argv[1]);
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
              version.c_str(), data.size(), archive.size());
  FILE* stamp = std::fopen(argv[4], "w");
  if (!stamp) return 1;
  std::fprintf(stamp, "%s\n", version.c_str());
  return std::fclose(stamp) == 0 ? 0 : 1;
}
