#include "worker/image_version.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Little-endian reads that give 0 past the end, so that every offset taken
// from the image is checked by the next read of it.
struct Image {
  const unsigned char* data;
  size_t size;
  uint32_t U16(size_t at) const { return at < size && size - at >= 2 ? data[at] | data[at + 1] << 8 : 0; }
  uint32_t U32(size_t at) const { return U16(at) | (at <= SIZE_MAX - 2 ? U16(at + 2) << 16 : 0); }
};

constexpr uint32_t kVersionResourceType = 16;

// The file offset of a relative virtual address, or 0.
size_t FileOffset(const Image& image, size_t sectionTable, size_t sections, uint32_t rva) {
  for (size_t i = 0; i < sections; ++i) {
    size_t section = sectionTable + 40 * i;
    uint32_t address = image.U32(section + 12), rawSize = image.U32(section + 16), raw = image.U32(section + 20);
    if (rva >= address && rva - address < rawSize) return static_cast<size_t>(raw) + (rva - address);
  }
  return 0;
}

// The version resource's bytes: type 16, its first name, its first language.
bool FindVersionResource(const Image& image, Image* resource) {
  size_t pe = image.U32(60);
  if (image.U32(pe) != 0x4550) return false;  // "PE\0\0"
  size_t sections = image.U16(pe + 6), optional = pe + 24, optionalSize = image.U16(pe + 20);
  uint32_t magic = image.U16(optional);
  if (magic != 0x10b && magic != 0x20b) return false;
  // The resource entry of the data directories, in PE32 and PE32+.
  uint32_t resourceRva = image.U32(optional + (magic == 0x20b ? 128 : 112));
  size_t sectionTable = optional + optionalSize;
  size_t root = resourceRva ? FileOffset(image, sectionTable, sections, resourceRva) : 0;
  if (!root || root >= image.size) return false;
  size_t node = root;
  for (int level = 0; level < 3; ++level) {
    size_t named = image.U16(node + 12), numbered = image.U16(node + 14);
    size_t chosen = 0;
    // Named entries come first; the type is a number, the name and the
    // language are whichever comes first.
    for (size_t i = level == 0 ? named : 0; i < named + numbered && !chosen; ++i) {
      size_t entry = node + 16 + 8 * i;
      if (level > 0 || image.U32(entry) == kVersionResourceType) chosen = entry;
    }
    if (!chosen) return false;
    uint32_t offset = image.U32(chosen + 4);
    if ((level < 2) != ((offset & 0x80000000u) != 0)) return false;
    node = root + (offset & 0x7FFFFFFFu);
    if (node >= image.size) return false;
  }
  size_t data = FileOffset(image, sectionTable, sections, image.U32(node));
  size_t size = image.U32(node + 4);
  if (!data || data > image.size || size > image.size - data) return false;
  *resource = Image{image.data + data, size};
  return true;
}

// One block of a version resource: its key, its value and its children,
// all within [start, end).
struct Block {
  char key[32];
  size_t value, valueBytes, children, end;
};

bool ReadBlock(const Image& v, size_t at, size_t limit, Block* block) {
  size_t length = v.U16(at), valueLength = v.U16(at + 2), type = v.U16(at + 4);
  if (length < 6 || at + length > limit) return false;
  block->end = at + length;
  size_t p = at + 6, k = 0;
  bool fits = true;
  for (; p + 2 <= block->end && v.U16(p); p += 2) {
    uint32_t c = v.U16(p);
    if (k < sizeof block->key - 1) block->key[k++] = c < 0x80 ? static_cast<char>(c) : '?';
    else fits = false;
  }
  block->key[k] = 0;
  // A key longer than any this reader looks for matches none of them.
  if (!fits) block->key[0] = 0;
  p = (p + 2 + 3) & ~static_cast<size_t>(3);
  block->value = p;
  block->valueBytes = type == 1 ? valueLength * 2 : valueLength;
  if (p > block->end) block->valueBytes = 0;
  else if (block->valueBytes > block->end - p) block->valueBytes = block->end - p;
  block->children = (block->value + block->valueBytes + 3) & ~static_cast<size_t>(3);
  return true;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Keys are ASCII and, as the version API compares them, of any case.
bool SameKey(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (Lower(*a) != Lower(*b)) return false;
  return *a == *b;
}

// The child of `parent` with the key, as the version API finds it.
bool Child(const Image& v, const Block& parent, const char* key, Block* child) {
  for (size_t at = parent.children; at + 6 <= parent.end; at = (child->end + 3) & ~static_cast<size_t>(3)) {
    if (!ReadBlock(v, at, parent.end, child)) return false;
    if (SameKey(child->key, key)) return true;
  }
  return false;
}

}  // namespace

bool GetImageFileVersion(const unsigned char* bytes, size_t size, char* version) {
  Image v;
  Block root, files, translations, translation, table, value;
  if (!FindVersionResource(Image{bytes, size}, &v) || !ReadBlock(v, 0, v.size, &root) ||
      !Child(v, root, "VarFileInfo", &files) || !Child(v, files, "Translation", &translation) ||
      translation.valueBytes < 4)
    return false;
  char name[16];
  std::snprintf(name, sizeof name, "%04x%04x", v.U16(translation.value), v.U16(translation.value + 2));
  if (!Child(v, root, "StringFileInfo", &translations) || !Child(v, translations, name, &table) ||
      !Child(v, table, "FileVersion", &value))
    return false;
  size_t length = 0;
  for (size_t p = value.value; p + 2 <= value.value + value.valueBytes && v.U16(p); p += 2) {
    uint32_t c = v.U16(p);
    if (c >= 0x80 || length + 1 >= kVersionStringSize) return false;
    version[length++] = static_cast<char>(c);
  }
  version[length] = 0;
  return true;
}
