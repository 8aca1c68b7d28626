// Both executables run elevated, the launcher from wherever it was
// downloaded and the worker from the temporary directory, where anybody may
// have left a DLL: libraries that are not KnownDLLs come from the system
// directory only, loaded at run time.
#pragma once
#include <windows.h>

// Narrows the DLL search path where the system offers it.
void RestrictDllSearch();
// Loads a DLL by name from the system directory; null when it is not there.
HMODULE LoadSystemLibrary(const char* name);
