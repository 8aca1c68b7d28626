// What the Windows tests share: a game installation to update, processes
// to run and find, a launcher to run, and an observer for its one message
// box and its progress bar.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct BoxSeen {
  std::string text;  // read in the code page, as a player's ANSI program would
  std::wstring wideText;  // read as UTF-16: what the box shows on any code page
  long icon = 0;  // kBoxIconInformation, kBoxIconError, 3 for another, 0 unknown
  std::vector<LRESULT> bar;  // the progress bar's positions while watched, each change once
};

struct LaunchResult {
  DWORD exitCode = 0xFFFFFFFF;
  BoxSeen box;
  DWORD millisecondsToBox = 0;
};

// A file next to the running test executable.
std::string Sibling(const char* name);
std::string TempDirectory();
// The names a FindFirstFile pattern matches, "." and ".." left out.
std::vector<std::string> FilesMatching(const std::string& pattern);

bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
// The file's bytes, or a text no file of a test holds.
std::string FileBytes(const std::string& path);
bool FileExists(const std::string& path);
bool MakeDirectories(const std::string& path);
// Removes a directory tree; false when something stayed.
bool RemoveTree(const std::string& path);

bool SetMachineString(const char* key, const char* name, const std::string& value, DWORD type = REG_SZ);
bool SetMachineDword(const char* key, const char* name, DWORD value);
bool GetMachineString(const char* key, const char* name, std::string* value);
// As UTF-16, whatever the code page: values the code page cannot hold.
bool SetWideString(HKEY root, const char* key, const char* name, const std::wstring& value, DWORD type = REG_SZ);
bool GetMachineWideString(const char* key, const char* name, std::wstring* value);
void DeleteMachineTree(const char* key);

// A fresh installed game: the game key with "SavingPath", "DataPath" and
// "Language", a game directory with vt3.exe, datafiles\vt3.dat and
// data\players\joystick.ini.
struct GameInstall {
  std::string directory;
  bool Create(const std::string& gameDirectory, DWORD language, const std::string& executableSource);
};

// Starts a command line; the process handle, or null.
HANDLE StartProcess(const std::string& commandLine);
// Runs a command line to its end; the exit code, or 0xFFFFFFFF when it did
// not start or did not end within the time.
DWORD RunProcess(const std::string& commandLine, DWORD timeoutMs = 30000);
// Waits for a started process to end, closes its handle; its exit code.
DWORD FinishProcess(HANDLE process, DWORD timeoutMs = 30000);
// The first running process whose name ends in `suffix`, or 0.
DWORD FindProcess(const char* suffix);

// Starts `exe` in a job object and waits until one of its processes
// signals the cut event (tests/support/cut_event.h), then ends every
// process of the job at once, as Task Manager, a crash or a power cut
// ends a run, and waits until they are gone. False when the run ended, or
// took more than `timeoutMs`, without signalling.
bool RunAndCut(const std::string& exe, DWORD timeoutMs = 120000);
// Starts `exe`, watches for its message box (closing it once read), waits
// for it to end.
LaunchResult RunAndObserve(const std::string& exe, DWORD timeoutMs = 60000);
// Watches a running process for its box, and its progress bar until then;
// closes the box.
BoxSeen ObserveBox(HANDLE process, DWORD timeoutMs);
// The progress bar (control 1004) of a window of the process, or null.
HWND FindProgressBar(DWORD processId);

// --- Shared by the run-folder and hardening tests ---
// The value PendingFileRenameOperations (what Windows NT removes or renames
// at its next start), taken away so that it cannot outlive the test; empty
// when there is none.
std::string TakePendingFileRenames();
