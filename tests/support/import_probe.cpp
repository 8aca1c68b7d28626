// A program that imports a function Windows 98 and NT 4.0 lack: the import
// check must name it.
#include <windows.h>

int main() { return static_cast<int>(GetTickCount64() & 1); }
