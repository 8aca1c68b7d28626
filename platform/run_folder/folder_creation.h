// The one call that creates a run's folder on NT and returns the handle
// that holds it: its own file, so that a test build can see the security
// descriptor the folder is created with, which Wine does not keep.
#pragma once
#include <windows.h>

// Creates the folder `name` (native form, `bytes` long), which must not
// exist, with `security`, and opens it with `access` and `share`.
LONG CreateFolderHeld(HANDLE* folder, const wchar_t* name, USHORT bytes, void* security, ACCESS_MASK access, ULONG share);
