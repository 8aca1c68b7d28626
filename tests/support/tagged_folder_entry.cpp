// For a test build: folders listed as reparse points of the kind named in
// VT3_FOLDER_TAG (hexadecimal), or unreadable with "unreadable": kinds
// that Wine cannot make. Without the variable, the entries as they are.
#include <cstdlib>

#include "platform/files/folder_entry.h"

namespace {

template <typename Entry, typename Char>
bool ReadEntry(HANDLE(WINAPI* find)(const Char*, Entry*), const Char* path, DWORD* attributes, DWORD* tag) {
  Entry entry = {};
  HANDLE search = find(path, &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  *attributes = entry.dwFileAttributes;
  *tag = entry.dwReserved0;
  char kind[32] = {};
  if (!GetEnvironmentVariableA("VT3_FOLDER_TAG", kind, sizeof kind)) return true;
  if (lstrcmpA(kind, "unreadable") == 0) return false;
  *attributes |= 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
  *tag = std::strtoul(kind, nullptr, 16);
  return true;
}

}  // namespace

bool ReadFolderEntry(const char* path, DWORD* attributes, DWORD* tag) {
  return ReadEntry(FindFirstFileA, path, attributes, tag);
}

bool ReadFolderEntryW(const wchar_t* path, DWORD* attributes, DWORD* tag) {
  return ReadEntry(FindFirstFileW, path, attributes, tag);
}
