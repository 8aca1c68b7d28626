#include "platform/held_folder.h"

#include "platform/system_library.h"

HeldFolder::HeldFolder() : handle(INVALID_HANDLE_VALUE) {}

HeldFolder::~HeldFolder() { Release(); }

void HeldFolder::Release() {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

bool HeldFolder::Open(const char* path) {
  Release();
  if (!IsWindowsNT()) return false;
  // A folder opens only with backup semantics. Without deletion shared
  // (and without DELETE access of our own) nobody can rename it or put
  // another in its place while it is held; the game's own files inside it
  // stay free to be read, written and renamed.
  HANDLE folder = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(folder, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(folder);
    return false;
  }
  handle = folder;
  return true;
}
