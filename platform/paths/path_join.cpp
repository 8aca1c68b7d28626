#include "platform/paths/path_join.h"

#include <cstring>

bool JoinInFolder(char* path, size_t size, const char* folder, const char* name) {
  if (size) path[0] = 0;
  size_t folderLength = std::strlen(folder), nameLength = std::strlen(name);
  if (!folderLength) return false;
  // The one folder whose form ends in a separator.
  bool driveRoot = folderLength == 3 && folder[1] == ':' && folder[2] == '\\';
  size_t separator = driveRoot ? 0 : 1;
  if (folderLength + separator + nameLength >= size) return false;
  std::memcpy(path, folder, folderLength);
  if (separator) path[folderLength] = '\\';
  std::memcpy(path + folderLength + separator, name, nameLength + 1);
  return true;
}
