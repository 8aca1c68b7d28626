// GetFileInformationByHandle in a file of its own, so that a test build can
// make it fail, as it does on 9x where a network redirector or a driver
// lacks the DOS call behind it.
#pragma once
#include <windows.h>

bool ReadFileInformation(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);

// FILE_ATTRIBUTE_REPARSE_POINT: newer than the headers (Windows 2000).
constexpr DWORD kReparsePointAttribute = 0x400;

// A file of one name, no folder and no link of any kind: no name another
// program made leads through it to a file elsewhere.
inline bool IsSingleFile(const BY_HANDLE_FILE_INFORMATION& info) {
  return info.nNumberOfLinks == 1 &&
         !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | kReparsePointAttribute));
}
