// Programs of the player's own account that want in, built twice from this
// source; each runs until STOPFILE exists.
//
// link_racer watches folders (and the folders that appear below them) for
// new files, whatever their names, and replaces each one it can by a hard
// link to VICTIM, a file of its own, hoping that an elevated program then
// writes through the name into that file. Its exit code is the number of
// files it replaced (at most 250).
//   link_racer VICTIM STOPFILE FOLDER...
//
// folder_racer watches folders for new run folders
// ("vt3_..."), and removes or renames each one it can through Windows as
// soon as it appears, while it is still empty; where it succeeds, a link to
// VICTIM, a folder of its own, takes its place, hoping that the elevated
// launcher then writes into it and empties it. Each folder it sees and each
// it takes is noted in LOG. After its first try it signals the event
// "Vt3FolderRacerTried", which a test build of the launcher waits for
// between the folder's creation and the worker's write. Its exit code is
// the number of folders taken.
//   folder_racer VICTIM STOPFILE LOG FOLDER...
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/support/host_link.h"

namespace {

constexpr bool kFolders = VT3_FOLDER_RACER;  // 1 for folder_racer, 0 for link_racer

// What the racer is after: run folders in `folder`, or files in it and in
// the folders below it, `depth` levels down.
void Walk(const std::string& folder, int depth, std::vector<std::string>* found) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + (kFolders ? "\\vt3_*" : "\\*")).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = entry.cFileName, path = folder + "\\" + name;
    bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (name == "." || name == "..") continue;
    if (isFolder == kFolders) found->push_back(path);
    else if (isFolder && depth > 0) Walk(path, depth - 1, found);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

// Each folder is tried once.
void TakeFolder(const std::string& path, const std::string& victim, FILE* log, HANDLE tried, int* taken) {
  std::fprintf(log, "seen %s\n", path.c_str());
  if (RemoveDirectoryA(path.c_str()) || MoveFileA(path.c_str(), (path + ".aside").c_str())) {
    std::fprintf(log, "taken %s%s\n", path.c_str(), MakeHostLink(victim, path) ? ", linked" : ", not linked");
    ++*taken;
  }
  std::fflush(log);
  SetEvent(tried);
}

}  // namespace

int main(int argc, char** argv) {
  const int firstFolder = kFolders ? 4 : 3;
  if (argc <= firstFolder) return 255;
  std::string victim = argv[1], stop = argv[2];
  FILE* log = kFolders ? std::fopen(argv[3], "w") : nullptr;
  if (kFolders && !log) return 255;
  HANDLE tried = kFolders ? CreateEventA(nullptr, TRUE, FALSE, "Vt3FolderRacerTried") : nullptr;
  const std::vector<std::string> folders(argv + firstFolder, argv + argc);
  std::set<std::string> known;
  int taken = 0;
  for (bool first = true; GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES; first = false) {
    std::vector<std::string> found;
    for (const std::string& folder : folders) Walk(folder, 3, &found);
    for (const std::string& path : found) {
      if (first) known.insert(path);  // what was there before it started is left alone
      if (known.count(path) || _stricmp(path.c_str(), victim.c_str()) == 0) continue;
      if (kFolders) TakeFolder(path, victim, log, tried, &taken);
      // A file its writer still holds refuses deletion: tried again at the next look.
      else if (!DeleteFileA(path.c_str())) continue;
      else if (CreateHardLinkA(path.c_str(), victim.c_str(), nullptr) && taken < 250) ++taken;
      known.insert(path);
    }
    if (kFolders) Sleep(1);
  }
  if (log) std::fclose(log);
  if (tried) CloseHandle(tried);
  return taken;
}
