// The worker runs elevated from the temporary directory, where anybody may
// have left a DLL: libraries come from the system directory only.
#pragma once
#include <windows.h>

// Narrows the DLL search path where the system offers it.
void RestrictDllSearch();
// Loads a DLL by name from the system directory; null when it is not there.
HMODULE LoadSystemLibrary(const char* name);
