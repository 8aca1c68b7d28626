#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The files under some folders by name, with their size and last write:
// two of them tell which files a run created or changed, wherever in those
// folders they were, and how many bytes those hold.
typedef std::map<std::string, std::pair<uint64_t, uint64_t>> FileSnapshot;

// Adds the files under `folder` (with its trailing backslash), leaving out
// the folders whose full path (with backslash) is in `skip`.
inline void Snapshot(const std::string& folder, FileSnapshot* into, const std::set<std::string>& skip = {}) {
  if (skip.count(folder)) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Snapshot(folder + name + "\\", into, skip);
      continue;
    }
    uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    uint64_t written = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                       found.ftLastWriteTime.dwLowDateTime;
    (*into)[folder + name] = {size, written};
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// Everything outside the game folder that an update may write: the
// temporary folders (the player's and the system's, where run folders
// go), the profiles (shortcuts) and the shared program data, each by the
// path the system gives it.
inline std::vector<std::string> FoldersOutsideGame() {
  char windows[MAX_PATH] = {}, temp[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  std::string drive = std::string(windows).substr(0, 3);
  std::vector<std::string> folders = {std::string(windows) + "\\Temp\\", drive + "users\\", drive + "ProgramData\\"};
  bool inside = false;
  for (const std::string& folder : folders)
    inside = inside || lstrcmpiA(std::string(temp).substr(0, folder.size()).c_str(), folder.c_str()) == 0;
  if (!inside) folders.push_back(temp);
  return folders;
}

inline FileSnapshot SnapshotOutsideGame(const std::set<std::string>& skip = {}) {
  FileSnapshot snapshot;
  for (const std::string& folder : FoldersOutsideGame()) Snapshot(folder, &snapshot, skip);
  return snapshot;
}

// The bytes of the files that are new or changed in any of `later` against
// `before`, each file counted once at the largest size seen; `ignore`
// names files of the benchmark's own.
inline uint64_t BytesWritten(const FileSnapshot& before, const std::vector<const FileSnapshot*>& later,
                             const std::string& ignore = "") {
  std::map<std::string, uint64_t> written;
  for (const FileSnapshot* snapshot : later)
    for (const auto& file : *snapshot) {
      auto old = before.find(file.first);
      if (old != before.end() && old->second == file.second) continue;
      if (!ignore.empty() && file.first.size() >= ignore.size() &&
          lstrcmpiA(file.first.c_str() + file.first.size() - ignore.size(), ignore.c_str()) == 0)
        continue;
      uint64_t& bytes = written[file.first];
      if (file.second.first > bytes) bytes = file.second.first;
    }
  uint64_t total = 0;
  for (const auto& file : written) total += file.second;
  return total;
}
