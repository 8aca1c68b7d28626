#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Bytes in the files under a folder (with its trailing backslash).
inline uint64_t BytesUnder(const std::string& folder) {
  uint64_t total = 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) total += BytesUnder(folder + name + "\\");
    else total += (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return total;
}
