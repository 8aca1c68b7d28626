// Reading files and the resources of a PE image on the build machine: the
// build checks and the tests of the shipped file use it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

inline bool ReadWholeFile(const char* path, std::vector<unsigned char>* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->insert(bytes->end(), chunk, chunk + got);
  bool read = !std::ferror(file);
  std::fclose(file);
  return read;
}

inline bool WriteWholeFile(const char* path, const unsigned char* bytes, size_t size) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  bool written = std::fwrite(bytes, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

inline uint32_t Get16(const std::vector<unsigned char>& b, size_t at) { return at + 2 <= b.size() ? b[at] | b[at + 1] << 8 : 0; }
inline uint32_t Get32(const std::vector<unsigned char>& b, size_t at) {
  return at + 4 <= b.size() ? Get16(b, at) | Get16(b, at + 2) << 16 : 0;
}

// The bytes of a resource of a PE image, or none: type by number
// (`typeName` null) or by name, the first name or number `id` (0: the
// first), the first language.
inline std::vector<unsigned char> FindPeResource(const std::vector<unsigned char>& image, uint32_t typeId,
                                                 const char* typeName, uint32_t id) {
  size_t pe = Get32(image, 60);
  if (pe + 24 > image.size() || Get32(image, pe) != 0x4550) return {};
  size_t sections = Get16(image, pe + 6), optional = pe + 24, optionalSize = Get16(image, pe + 20);
  uint32_t magic = Get16(image, optional);
  size_t directory = optional + (magic == 0x20b ? 128 : 112);  // the resource entry of the data directories
  if (magic != 0x10b && magic != 0x20b) return {};
  uint32_t resourceRva = Get32(image, directory);
  size_t table = optional + optionalSize;
  auto fileOffset = [&](uint32_t rva) -> size_t {
    for (size_t i = 0; i < sections; ++i) {
      size_t section = table + 40 * i;
      uint32_t address = Get32(image, section + 12), size = Get32(image, section + 16);
      if (rva >= address && rva - address < size) return Get32(image, section + 20) + (rva - address);
    }
    return 0;
  };
  size_t root = fileOffset(resourceRva);
  if (!resourceRva || !root) return {};
  auto matches = [&](size_t entry, int level) {
    uint32_t name = Get32(image, entry);
    if (level == 2) return true;
    if (level == 1) return id == 0 || name == id;
    if (!typeName) return name == typeId;
    if (!(name & 0x80000000u)) return false;
    size_t text = root + (name & 0x7FFFFFFFu), length = Get16(image, text);
    if (length != std::strlen(typeName)) return false;
    for (size_t k = 0; k < length; ++k)
      if (Get16(image, text + 2 + 2 * k) != static_cast<unsigned char>(typeName[k])) return false;
    return true;
  };
  size_t node = root;
  for (int level = 0; level < 3; ++level) {
    size_t entries = Get16(image, node + 12) + Get16(image, node + 14);
    size_t chosen = 0;
    for (size_t i = 0; i < entries && !chosen; ++i) {
      size_t entry = node + 16 + 8 * i;
      if (matches(entry, level)) chosen = entry;
    }
    if (!chosen) return {};
    uint32_t offset = Get32(image, chosen + 4);
    if ((level < 2) != ((offset & 0x80000000u) != 0)) return {};
    node = root + (offset & 0x7FFFFFFFu);
  }
  size_t data = fileOffset(Get32(image, node)), size = Get32(image, node + 4);
  if (!data || data > image.size() || size > image.size() - data) return {};
  return std::vector<unsigned char>(image.begin() + data, image.begin() + data + size);
}

