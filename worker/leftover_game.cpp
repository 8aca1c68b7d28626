#include "worker/leftover_game.h"

#include <windows.h>

#include <cstring>

#include "platform/game_folder.h"
#include "worker/file_version.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (Lower(c) >= 'a' && Lower(c) <= 'f'); }

// "tmp", the hexadecimal digits of a name the update makes (sixteen; one
// to four from the temporary-file service of earlier builds), ".tmp", in
// any case.
bool IsTemporaryName(const char* name, bool sixteenOnly = false) {
  if (Lower(name[0]) != 't' || Lower(name[1]) != 'm' || Lower(name[2]) != 'p') return false;
  size_t digits = 0;
  while (digits < 17 && IsHexDigit(name[3 + digits])) ++digits;
  const char* rest = name + 3 + digits;
  return ((!sixteenOnly && digits >= 1 && digits <= 4) || digits == 16) && rest[0] == '.' && Lower(rest[1]) == 't' &&
         Lower(rest[2]) == 'm' && Lower(rest[3]) == 'p' && rest[4] == 0;
}

}  // namespace

void RemoveLeftoverNewGames(const char* gameDirectory, const char* newVersion) {
  char pattern[MAX_PATH];
  if (!JoinInFolder(pattern, MAX_PATH, gameDirectory, "tmp*.tmp")) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    char path[MAX_PATH], version[kVersionStringSize];
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTemporaryName(found.cFileName) &&
        JoinInFolder(path, MAX_PATH, gameDirectory, found.cFileName) &&
        GetFileVersionString(path, version) && std::strcmp(version, newVersion) == 0)
      DeleteFileA(path);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

bool FindKeptNewGame(const char* gameDirectory, const char* newVersion, char* path) {
  char pattern[MAX_PATH];
  if (!JoinInFolder(pattern, MAX_PATH, gameDirectory, "tmp*.tmp")) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool kept = false;
  do {
    char version[kVersionStringSize];
    kept = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTemporaryName(found.cFileName, true) &&
           JoinInFolder(path, MAX_PATH, gameDirectory, found.cFileName) &&
           GetFileVersionString(path, version) && std::strcmp(version, newVersion) == 0;
  } while (!kept && FindNextFileA(search, &found));
  FindClose(search);
  return kept;
}
