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

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "launcher/disk_free_space_call.h"
#include "platform/files/disk_flush.h"
#include "platform/system/system_library.h"

namespace {

void Append(const std::string& line) {
  char log[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("VT3_FLUSH_LOG", log, MAX_PATH);
  FILE* file = length && length < MAX_PATH ? std::fopen(log, "ab") : nullptr;
  if (!file) return;
  std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
}

}  // namespace

BOOL FlushFileCall(HANDLE file) {
  auto finalPath = KernelFunction<DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD)>("GetFinalPathNameByHandleA");
  char path[1024] = "?";
  if (finalPath) finalPath(file, path, sizeof path, 0);
  Append(std::string("file ") + path);
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
  std::string line = "key";
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD data[256], nameSize = sizeof name, type = 0, size = sizeof data;
    LONG result = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) break;
    if (type == REG_DWORD && !std::strncmp(name, "Update ", 7))
      line += " " + std::string(name) + "=" + std::to_string(data[0]);
    if (type == REG_SZ && !std::strcmp(name, "Joystick step")) line += " joystick-step";
  }
  int waiting = 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("tmp*.tmp", &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) ++waiting;
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  Append(line + " tmp:" + std::to_string(waiting));
  return RegFlushKey(key);
}

BOOL DiskFreeSpaceCall(const char* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector, DWORD* freeClusters,
                       DWORD* totalClusters) {
  Append(std::string("disk ") + root);
  return GetDiskFreeSpaceA(root, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
}
