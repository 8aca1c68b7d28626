// Build tool: checks what a patch embeds before it is built into the
// launcher, and prints the sizes.
//   check_payloads GAME_EXE PAYLOAD_130 PAYLOAD_134 STAMP
// Fails when a file is missing or empty, when the game executable is no PE
// file or carries no FileVersion (the worker could never find it newer than
// the installed game), or when the payloads would not fit a 32-bit size.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "pe_resource.h"

namespace {

// One block of a version resource: key, value and children, within [at, end).
struct Block {
  std::string key;
  size_t value, valueBytes, children, end;
};

bool ReadBlock(const std::vector<unsigned char>& v, size_t at, size_t limit, Block* block) {
  size_t length = Get16(v, at), valueLength = Get16(v, at + 2), type = Get16(v, at + 4);
  if (length < 6 || at + length > limit) return false;
  block->end = at + length;
  size_t p = at + 6;
  block->key.clear();
  for (; p + 2 <= block->end && Get16(v, p); p += 2) block->key += static_cast<char>(Get16(v, p));
  p = (p + 2 + 3) & ~static_cast<size_t>(3);
  block->value = p;
  block->valueBytes = type == 1 ? valueLength * 2 : valueLength;
  if (block->value + block->valueBytes > block->end) block->valueBytes = block->end > p ? block->end - p : 0;
  block->children = (block->value + block->valueBytes + 3) & ~static_cast<size_t>(3);
  return true;
}

bool SameKey(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The child of `parent` with the key, or false.
bool Child(const std::vector<unsigned char>& v, const Block& parent, const std::string& key, Block* child) {
  for (size_t at = parent.children; at + 6 <= parent.end; at = (child->end + 3) & ~static_cast<size_t>(3)) {
    if (!ReadBlock(v, at, parent.end, child)) return false;
    if (SameKey(child->key, key)) return true;
  }
  return false;
}

// FileVersion as the worker reads it: from the string table of the first
// translation entry, or "" when there is none.
std::string FileVersion(const std::vector<unsigned char>& image) {
  std::vector<unsigned char> v = FindPeResource(image, 16, nullptr, 0);
  Block root, files, translations, translation, table, value;
  if (!ReadBlock(v, 0, v.size(), &root) || !Child(v, root, "VarFileInfo", &files) ||
      !Child(v, files, "Translation", &translation) || translation.valueBytes < 4)
    return "";
  char name[16];
  std::snprintf(name, sizeof name, "%04x%04x", Get16(v, translation.value), Get16(v, translation.value + 2));
  if (!Child(v, root, "StringFileInfo", &translations) || !Child(v, translations, name, &table) ||
      !Child(v, table, "FileVersion", &value))
    return "";
  std::string text;
  for (size_t p = value.value; p + 2 <= value.value + value.valueBytes && Get16(v, p) && text.size() < 256; p += 2)
    text += Get16(v, p) < 0x80 ? static_cast<char>(Get16(v, p)) : '?';
  return text;
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
    if (!ReadWholeFile(names[i], files[i]) || files[i]->empty()) {
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
