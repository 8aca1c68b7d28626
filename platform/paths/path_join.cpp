#include "platform/paths/path_join.h"

#include <cstring>
#include <cwchar>

namespace {

size_t Length(const char* text) { return std::strlen(text); }
size_t Length(const wchar_t* text) { return std::wcslen(text); }

template <typename Char>
bool Join(Char* path, size_t size, const Char* folder, const Char* name) {
  if (size) path[0] = 0;
  size_t folderLength = Length(folder), nameLength = Length(name);
  if (!folderLength) return false;
  // The one folder whose form ends in a separator.
  bool driveRoot = folderLength == 3 && folder[1] == ':' && folder[2] == '\\';
  size_t separator = driveRoot ? 0 : 1;
  if (folderLength + separator + nameLength >= size) return false;
  std::memcpy(path, folder, folderLength * sizeof(Char));
  if (separator) path[folderLength] = '\\';
  std::memcpy(path + folderLength + separator, name, (nameLength + 1) * sizeof(Char));
  return true;
}

}  // namespace

bool JoinInFolder(char* path, size_t size, const char* folder, const char* name) {
  return Join(path, size, folder, name);
}

bool JoinInFolder(wchar_t* path, size_t size, const wchar_t* folder, const wchar_t* name) {
  return Join(path, size, folder, name);
}
