#include "game/game_folder.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// What no file name may hold; ":" would name a stream, "*" and "?" turn
// the names built on the folder into patterns.
bool IsForbidden(unsigned char c) { return c < 32 || (c && std::strchr("<>:\"|?*", c)); }

// One component of `value` from `start`, up to the next separator or the
// end, read character by character, so that the second byte of a two-byte
// character is never taken for a separator, a dot or a space.
struct Component {
  size_t start = 0;
  size_t end = 0;  // at the separator or terminator that ends it
  size_t kept = 0;  // end of the last character that is not a single-byte dot or space
  bool valid = false;

  bool Is(const char* value, const char* text) const {
    size_t length = std::strlen(text);
    return end - start == length && std::memcmp(value + start, text, length) == 0;
  }
  // The dots and spaces that end it, as text of their own.
  bool TrailIs(const char* value, const char* text) const {
    size_t length = std::strlen(text);
    return end - kept == length && std::memcmp(value + kept, text, length) == 0;
  }
};

Component ReadComponent(const char* value, size_t start, LeadByteTest isLeadByte) {
  Component part;
  part.start = part.kept = start;
  size_t i = start;
  while (value[i] && !IsSeparator(value[i])) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if (isLeadByte && isLeadByte(c)) {
      if (!value[i + 1]) return part;
      i += 2;
      part.kept = i;
      continue;
    }
    if (IsForbidden(c)) return part;
    ++i;
    if (c != '.' && c != ' ') part.kept = i;
  }
  part.end = i;
  part.valid = true;
  return part;
}

// A server or share name: a plain name, with nothing Windows would trim.
bool IsPlainName(const Component& part) { return part.valid && part.end > part.start && part.kept == part.end; }

class Output {
 public:
  explicit Output(char* text) : text(text) {}
  bool Append(const char* bytes, size_t count) {
    if (length + count >= kGamePathSize) return false;
    std::memcpy(text + length, bytes, count);
    length += count;
    text[length] = 0;
    return true;
  }
  char* text;
  size_t length = 0;
};

}  // namespace

bool NormalGameFolder(const char* value, LeadByteTest isLeadByte, char* folder) {
  folder[0] = 0;
  if (!value) return false;
  char normal[kGamePathSize] = {};
  Output out(normal);
  size_t i = 0;
  bool driveRoot = false;
  if (IsDriveLetter(value[0]) && value[1] == ':' && IsSeparator(value[2])) {
    char root[] = {value[0], ':', '\\'};
    out.Append(root, 3);
    driveRoot = true;
    i = 3;
  } else if (IsSeparator(value[0]) && IsSeparator(value[1])) {
    // "\\server\share"; "\\.\" and "\\?\" name devices, not folders.
    Component server = ReadComponent(value, 2, isLeadByte);
    if (!IsPlainName(server) || server.Is(value, ".") || !IsSeparator(value[server.end])) return false;
    Component share = ReadComponent(value, server.end + 1, isLeadByte);
    if (!IsPlainName(share)) return false;
    if (!out.Append("\\\\", 2) || !out.Append(value + server.start, server.end - server.start) ||
        !out.Append("\\", 1) || !out.Append(value + share.start, share.end - share.start))
      return false;
    i = share.end;
  } else {
    // Relative to a current folder or drive, which the launcher and the
    // worker do not share.
    return false;
  }
  const size_t rootLength = out.length;

  // Where each component kept so far began (before its separator), so that
  // ".." never has to look for a separator byte that may be a second byte.
  size_t starts[kGamePathSize];
  bool endsInSpace[kGamePathSize];
  size_t depth = 0;
  for (;;) {
    while (IsSeparator(value[i])) ++i;
    if (!value[i]) break;
    Component part = ReadComponent(value, i, isLeadByte);
    if (!part.valid) return false;
    i = part.end;
    if (part.Is(value, ".")) continue;
    if (part.Is(value, "..")) {
      if (depth) out.length = starts[--depth];
      normal[out.length] = 0;
      continue;
    }
    if (part.kept == part.start) return false;  // only dots and spaces
    size_t end = part.end;
    if (!value[part.end]) {
      // The end of the value: Windows drops every trailing dot and space.
      end = part.kept;
    } else if (part.TrailIs(value, ".")) {
      // Inside a path Windows drops one trailing dot; two or more, or a dot
      // after a space, are read differently by different versions.
      end = part.kept;
    } else if (part.end != part.kept && value[part.kept] != ' ') {
      return false;
    } else {
      for (size_t k = part.kept; k < part.end; ++k)
        if (value[k] != ' ') return false;
    }
    starts[depth] = out.length;
    endsInSpace[depth] = end != part.kept;
    ++depth;
    bool separator = !(driveRoot && out.length == rootLength);
    if ((separator && !out.Append("\\", 1)) || !out.Append(value + part.start, end - part.start)) return false;
  }
  // A last component that ends in a space would lose it where the folder
  // itself is opened, and keep it inside every longer name.
  if (depth && endsInSpace[depth - 1]) return false;
  if (out.length > kLongestGameFolder) return false;
  std::memcpy(folder, normal, out.length + 1);
  return true;
}
