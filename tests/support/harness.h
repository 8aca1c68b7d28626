// What the Windows tests share: a game installation to update, a launcher
// to run, and an observer for its one message box.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct BoxSeen {
  bool shown = false;
  std::string text;
  long icon = 0;  // kBoxIconInformation, kBoxIconError, 3 for another, 0 unknown
};

struct LaunchResult {
  DWORD exitCode = 0xFFFFFFFF;
  BoxSeen box;
  DWORD millisecondsToBox = 0;
};

// A file next to the running test executable.
std::string Sibling(const char* name);
std::string TempDirectory();
std::vector<std::string> TempFilesMatching(const char* pattern);

bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);
bool MakeDirectories(const std::string& path);
// Removes a directory tree; false when something stayed.
bool RemoveTree(const std::string& path);

bool SetMachineString(const char* key, const char* name, const std::string& value, DWORD type = REG_SZ);
bool SetMachineDword(const char* key, const char* name, DWORD value);
bool GetMachineString(const char* key, const char* name, std::string* value);
void DeleteMachineTree(const char* key);

// A fresh installed game: the game key with "SavingPath", "DataPath" and
// "Language", a game directory with vt3.exe, datafiles\vt3.dat and
// data\players\joystick.ini.
struct GameInstall {
  std::string directory;
  bool Create(const std::string& gameDirectory, DWORD language, const std::string& executableSource);
};

// Starts `exe`, watches for its message box (closing it once read), waits
// for it to end.
LaunchResult RunAndObserve(const std::string& exe, DWORD timeoutMs = 60000, const char* arguments = nullptr);
// Watches a running process for its box; closes it.
BoxSeen ObserveBox(HANDLE process, DWORD timeoutMs);
