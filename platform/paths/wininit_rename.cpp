#include "platform/paths/wininit_rename.h"

#include <cstring>

namespace {

const char kSection[] = "[rename]\r\n";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether the line from `begin` to `end` is a section header "[name]",
// blanks allowed around; `rename` tells whether it is [rename].
bool IsSection(const char* begin, const char* end, bool* rename) {
  while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
  while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r')) --end;
  if (end - begin < 2 || *begin != '[' || end[-1] != ']') return false;
  const char name[] = "rename";
  *rename = end - begin - 2 == static_cast<ptrdiff_t>(sizeof name - 1);
  for (size_t i = 0; *rename && i < sizeof name - 1; ++i) *rename = Lower(begin[1 + i]) == name[i];
  return true;
}

bool IsBlank(const char* begin, const char* end) {
  while (begin < end && (*begin == ' ' || *begin == '\t' || *begin == '\r')) ++begin;
  return begin == end;
}

}  // namespace

size_t RenameTextCapacity(size_t iniSize, const char* line) {
  return iniSize + 2 + (sizeof kSection - 1) + std::strlen(line) + 2;
}

size_t AddRenameLine(const char* ini, size_t iniSize, const char* line, char* out, size_t capacity) {
  if (capacity < RenameTextCapacity(iniSize, line)) return 0;
  const char* end = ini + iniSize;
  const char* insertAt = nullptr;  // after the last line of [rename]
  bool inRename = false;
  for (const char* begin = ini; begin < end;) {
    const char* newline = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
    const char* lineEnd = newline ? newline : end;
    const char* next = newline ? newline + 1 : end;
    bool rename = false;
    if (IsSection(begin, lineEnd, &rename)) {
      if (inRename) break;
      inRename = rename;
      if (inRename) insertAt = next;
    } else if (inRename && !IsBlank(begin, lineEnd)) {
      insertAt = next;
    }
    begin = next;
  }
  size_t length = 0;
  auto append = [&](const char* bytes, size_t size) {
    std::memcpy(out + length, bytes, size);
    length += size;
  };
  size_t head = insertAt ? static_cast<size_t>(insertAt - ini) : iniSize;
  append(ini, head);
  // A last line without its line end.
  if (head == iniSize && head > 0 && ini[head - 1] != '\n') append("\r\n", 2);
  if (!insertAt) append(kSection, sizeof kSection - 1);
  append(line, std::strlen(line));
  append("\r\n", 2);
  append(ini + head, iniSize - head);
  return length;
}
