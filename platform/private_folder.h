// A new folder of one run, with a name nobody can guess, that only
// administrators can enter on NT: what an elevated program writes and then
// starts lives there, out of reach of the player's other programs and of
// any DLL they might leave beside it. Removed with everything in it at the
// end; what is still in use then goes at the next start of Windows.
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
  // A new, unguessable file name inside: "<folder>\<prefix><hex><extension>".
  bool FileName(char* name, DWORD size, const char* prefix, const char* extension) const;
  // Removes the folder and its files, or schedules what remains.
  void Remove();
  const char* Path() const { return path; }
  bool Exists() const { return path[0] != 0; }

 private:
  char path[MAX_PATH];
};

// Whether `path`, a folder the system names in UTF-16, can be written in the
// ANSI code page without becoming another name: best fit may turn a letter
// outside the code page into a look-alike ("Ł" into "L") instead of "?".
bool SurvivesAnsi(const wchar_t* path);
// The temporary folder where its name survives the ANSI code page (NT),
// else false; on 9x the ANSI temporary folder, which is all there is.
bool AnsiTemporaryFolder(char* path, DWORD size);
