// Both executables run elevated, the launcher from wherever it was
// downloaded and the worker from the temporary directory, where anybody may
// have left a DLL: libraries that are not KnownDLLs come from the system
// directory only, loaded at run time.
#pragma once
#include <windows.h>

// A function of a loaded module, looked up at run time for what not every
// Windows has; null when the module or the function is missing.
template <typename Function>
Function LookUpFunction(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
template <typename Function>
Function KernelFunction(const char* name) {
  return LookUpFunction<Function>(GetModuleHandleA("kernel32.dll"), name);
}

// LoadLibraryEx's LOAD_LIBRARY_SEARCH_SYSTEM32, and SetDefaultDllDirectories's
// flag of the same value: the system directory only. Newer than the oldest
// target's headers (Windows 8, or 7 and Vista with KB2533623); older
// systems reject it or, worse, may search the default order.
constexpr DWORD kSearchSystemDirectoryOnly = 0x800;
// Whether LoadLibraryExA knows kSearchSystemDirectoryOnly: exactly where
// SetDefaultDllDirectories exists (Microsoft's documented test).
bool HasSearchFlags();
// Narrows the DLL search path where the system offers it.
void RestrictDllSearch();
// SetDllDirectoryA where the system has it (XP SP1 and later); false where
// it has not. Null restores the default search order, "" removes the
// current directory from it. Child processes inherit this setting.
bool SetDllDirectoryIfPresent(const char* directory);
// GetDllDirectoryA where the system has it; an empty buffer otherwise.
void GetDllDirectoryIfPresent(char* buffer, DWORD size);
// Loads a DLL by name from the system directory; null when it is not there.
HMODULE LoadSystemLibrary(const char* name);
// True on the NT family; the 9x family has only stubs of the security API
// and of MoveFileExA.
bool IsWindowsNT();
