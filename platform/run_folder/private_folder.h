// A new folder of one run, with a name nobody can guess, that only
// administrators can enter on NT: what an elevated program writes and then
// starts lives there, out of reach of the player's other programs and of
// any DLL they might leave beside it. On NT the call that creates it
// returns the handle that holds it until the end, so that it can be
// neither removed nor renamed, nor swapped for a link, while it is in use.
// At the end only the files it named are deleted, then the folder; what is
// still in use then goes at the next start of Windows.
#pragma once
#include <windows.h>

class PrivateFolder {
 public:
  PrivateFolder();
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  // Creates the folder under `parent` (with or without a trailing
  // backslash). Creation fails when the name exists; another is tried.
  bool Create(const char* parent);
  // A new, unguessable file name inside: "<folder>\<prefix><hex><extension>",
  // remembered for the removal. False once kMostFiles names were given.
  bool FileName(char* name, DWORD size, const char* prefix, const char* extension);
  // Deletes the files it named, then lets the folder go and removes it.
  // What cannot go now is scheduled by those names only (on 9x, whose
  // wininit.ini removes no folders, the files only).
  void Remove();
  const char* Path() const { return path; }
  bool Exists() const { return path[0] != 0; }
  // The handle that holds the folder (NT), or null.
  HANDLE Hold() const { return hold; }

  static constexpr int kMostFiles = 4;

 private:
  char path[MAX_PATH];
  char files[kMostFiles][MAX_PATH];
  int fileCount;
  HANDLE hold;
};

// Where run folders are made, in the order they are tried: on NT the
// system's own temporary folder ("Temp" in the system's Windows folder:
// a player may create there but not remove what others made, and does not
// choose it), the player's temporary folder, then `gameFolder` (when not
// empty), each by its final path. The number of parents written to
// `parents`.
constexpr int kRunFolderParents = 3;
int RunFolderParents(char (*parents)[MAX_PATH], const char* gameFolder);
