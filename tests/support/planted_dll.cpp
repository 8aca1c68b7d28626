// A DLL that announces itself: copied beside a program under the name of a
// system DLL, it records in C:\planted.txt that it was loaded, and where.
#include <windows.h>

#include <cstdio>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(instance, path, MAX_PATH);
    FILE* marker = std::fopen("C:\\planted.txt", "a");
    if (marker) {
      std::fprintf(marker, "%s\n", path);
      std::fclose(marker);
    }
  }
  return TRUE;
}
