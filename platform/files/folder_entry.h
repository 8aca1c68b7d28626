// A folder's entry as its parent lists it: its attributes and, for a
// reparse point, its kind. A file of its own, so that a test build can
// report kinds of reparse point that Wine cannot make.
#pragma once
#include <windows.h>

// False when the entry cannot be read; `tag` is the kind of reparse point
// (dwReserved0 of the entry), meaningful with FILE_ATTRIBUTE_REPARSE_POINT.
bool ReadFolderEntry(const char* path, DWORD* attributes, DWORD* tag);
// The same for a UTF-16 path (NT; false on 9x).
bool ReadFolderEntryW(const wchar_t* path, DWORD* attributes, DWORD* tag);

