#include "worker/leftover_game.h"

#include <windows.h>

#include <cstring>

#include "platform/paths/path_join.h"
#include "platform/paths/update_names.h"
#include "worker/file_version.h"

namespace {

// The new game as the update names it beside the old one (sixteen digits;
// one to four from the temporary-file service of earlier builds).
constexpr UpdateNameForm kNewGameName = {"tmp", ".tmp", false, true};
constexpr UpdateNameForm kKeptNewGameName = {"tmp", ".tmp", false, false};

}  // namespace

void RemoveLeftoverNewGames(const char* gameDirectory, const char* newVersion) {
  char pattern[MAX_PATH];
  if (!JoinInFolder(pattern, MAX_PATH, gameDirectory, "tmp*.tmp")) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    char path[MAX_PATH], version[kVersionStringSize];
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsUpdateName(found.cFileName, kNewGameName) &&
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
    kept = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsUpdateName(found.cFileName, kKeptNewGameName) &&
           JoinInFolder(path, MAX_PATH, gameDirectory, found.cFileName) &&
           GetFileVersionString(path, version) && std::strcmp(version, newVersion) == 0;
  } while (!kept && FindNextFileA(search, &found));
  FindClose(search);
  return kept;
}
