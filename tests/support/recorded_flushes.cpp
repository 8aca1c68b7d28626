// For a test build: the flushes the update asks for, recorded and failed on
// request, since no test here can cut the power. VT3_FLUSH_LOG names a file
// that gets one line for each: "file PATH" (what was flushed, by the
// handle's final path) or "key NAME=VALUE ... tmp:N" (the key's "Update "
// values, "joystick-step" while the joystick step's names are recorded,
// and how many tmp*.tmp files the current folder, the game's, still
// holds: 1 while the new game waits for its rename). With
// VT3_FLUSH_FAIL set, a file whose path holds it fails to flush with the
// error VT3_FLUSH_ERROR (112, a full disk, by default). The launcher's disk
// check is recorded there too: "disk ROOT", the root it asked about.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "launcher/disk_free_space_call.h"
#include "platform/files/disk_flush.h"

namespace {

void Append(const char* format, ...) {
  char log[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("VT3_FLUSH_LOG", log, MAX_PATH);
  FILE* file = length && length < MAX_PATH ? std::fopen(log, "ab") : nullptr;
  if (!file) return;
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(file, format, arguments);
  va_end(arguments);
  std::fputc('\n', file);
  std::fclose(file);
}

}  // namespace

BOOL FlushFileCall(HANDLE file) {
  typedef DWORD(WINAPI * FinalPath)(HANDLE, LPSTR, DWORD, DWORD);
  auto finalPath = reinterpret_cast<FinalPath>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
  char path[1024] = "?";
  if (finalPath) finalPath(file, path, sizeof path, 0);
  Append("file %s", path);
  char fail[MAX_PATH], error[16] = "112";
  DWORD length = GetEnvironmentVariableA("VT3_FLUSH_FAIL", fail, MAX_PATH);
  // Compared in lower case: a final path may spell a folder as the disk does.
  if (length && length < MAX_PATH && std::strstr(_strlwr(path), _strlwr(fail))) {
    GetEnvironmentVariableA("VT3_FLUSH_ERROR", error, sizeof error);
    SetLastError(std::strtoul(error, nullptr, 10));
    return FALSE;
  }
  return FlushFileBuffers(file);
}

LONG FlushKeyCall(HKEY key) {
  char line[2048] = "key";
  for (DWORD index = 0;; ++index) {
    char name[256];
    BYTE data[1024];
    DWORD nameSize = sizeof name, type = 0, size = sizeof data;
    LONG result = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) break;
    DWORD value = 0;
    std::memcpy(&value, data, sizeof value);
    if (type == REG_DWORD && !std::strncmp(name, "Update ", 7) && std::strlen(line) + nameSize + 16 < sizeof line)
      std::sprintf(line + std::strlen(line), " %s=%lu", name, value);
    if (type == REG_SZ && !std::strcmp(name, "Joystick step") && std::strlen(line) + 16 < sizeof line)
      std::strcat(line, " joystick-step");
  }
  int waiting = 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("tmp*.tmp", &found);
  if (search != INVALID_HANDLE_VALUE) {
    do ++waiting;
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  Append("%s tmp:%d", line, waiting);
  return RegFlushKey(key);
}

BOOL DiskFreeSpaceCall(const char* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector, DWORD* freeClusters,
                       DWORD* totalClusters) {
  Append("disk %s", root);
  return GetDiskFreeSpaceA(root, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
}
