#include "platform/files/folder_entry.h"

#include "platform/system/system_library.h"

namespace {

typedef HANDLE(WINAPI* FindFirstFileWFunction)(LPCWSTR, LPWIN32_FIND_DATAW);

}  // namespace

bool ReadFolderEntry(const char* path, DWORD* attributes, DWORD* tag) {
  // Zero, so that a kind the system leaves unset (Wine, for a link made
  // on the host) reads as none.
  WIN32_FIND_DATAA entry = {};
  HANDLE search = FindFirstFileA(path, &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  *attributes = entry.dwFileAttributes;
  *tag = entry.dwReserved0;
  return true;
}

bool ReadFolderEntryW(const wchar_t* path, DWORD* attributes, DWORD* tag) {
  // A stub on 9x: looked up, and called on NT only.
  auto findFirst = IsWindowsNT() ? KernelFunction<FindFirstFileWFunction>("FindFirstFileW") : nullptr;
  if (!findFirst) return false;
  WIN32_FIND_DATAW entry = {};
  HANDLE search = findFirst(path, &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  *attributes = entry.dwFileAttributes;
  *tag = entry.dwReserved0;
  return true;
}
