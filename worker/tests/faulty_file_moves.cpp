// The worker's file operations and checkpoints for a test build that can
// make them fail: a file "worker_faults.txt" in the game directory (the
// worker's current directory) names, one a line, an operation and the file
// name its target ends with, and "once" for one that fails only the first
// time; "cut STEP" signals the test's cut event there and waits to
// be ended together with the launcher; "pause STEP" signals it and goes on
// once the test sets the pause event, where STEP is a checkpoint or
// "closed NAME", the moment the worker lets go of a file whose name ends so
// (the new game's hand-over). Each fault is noted in "worker_faults.log",
// each checkpoint passed in "worker_steps.log"; with a line "names", each
// file let go of in "worker_closed.log" (the shortcuts' fresh names).
//   move vt3.exe | copy vt3.exe | move joystick.ini once | cut readme
//   pause start | pause closed .tmp 3 | names
// The faults strike below the shipped moves and their retries, in the
// system calls themselves, with an error no retry takes for a busy file:
// the paths the tests drive are the shipped ones, and no test waits out a
// retry.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/files/file_closed.h"
#include "platform/files/held_file.h"
#include "tests/support/cut_event.h"
#include "worker/step_checkpoint.h"

namespace {

constexpr DWORD kInjectedError = ERROR_WRITE_FAULT;

// Adds a line, `format` with `text` for its %s, to a log the tests read.
void Note(const char* logName, const char* format, const char* text) {
  FILE* log = std::fopen(logName, "a");
  if (!log) return;
  std::fprintf(log, format, text);
  std::fclose(log);
}

// Whether a line "PREFIX NAME [once|N]" matches `target`, where PREFIX is
// the line's first words ("move ", "pause closed "), or a line of PREFIX
// alone any target; `note`, if any, is the log line, with the target for
// its %s. A count N matches only the N-th time that line's target comes (a
// file let go of twice); "once" is a count of 1.
bool Fails(const char* prefix, const char* target, const char* note) {
  FILE* file = std::fopen("worker_faults.txt", "r");
  if (!file) return false;
  char line[MAX_PATH];
  bool fails = false;
  size_t prefixLength = std::strlen(prefix), targetLength = std::strlen(target);
  static int seen[32] = {};
  for (int lineNumber = 0; !fails && std::fgets(line, sizeof line, file); ++lineNumber) {
    char name[MAX_PATH] = {}, last[8] = {};
    // ("pause closed NAME" is no "pause" of a step: no step ends so.)
    if (std::strncmp(line, prefix, prefixLength) != 0) continue;
    std::sscanf(line + prefixLength, "%259s %7s", name, last);
    size_t nameLength = std::strlen(name);
    if (nameLength > targetLength || _stricmp(target + targetLength - nameLength, name) != 0) continue;
    int wanted = std::strcmp(last, "once") == 0 ? 1 : std::atoi(last);
    int count = lineNumber < 32 ? ++seen[lineNumber] : 1;
    fails = wanted == 0 || count == wanted;
  }
  std::fclose(file);
  if (fails && note) Note("worker_faults.log", note, target);
  return fails;
}

// Signals the test, then waits until it has done what it came for; at a
// cut, until it ends this process with the launcher, or ends it itself.
void Pause(bool cut) {
  HANDLE reached = OpenEventA(EVENT_MODIFY_STATE, FALSE, kCutEventName);
  HANDLE over = OpenEventA(SYNCHRONIZE, FALSE, kPauseOverEventName);
  if (reached) SetEvent(reached);
  if (cut) Sleep(kCutWaitMs);
  else if (over) WaitForSingleObject(over, kCutWaitMs);
  if (cut) TerminateProcess(GetCurrentProcess(), 1);
  for (HANDLE handle : {reached, over})
    if (handle) CloseHandle(handle);
}

template <typename Function>
Function Kernel(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

BOOL WINAPI FaultyMoveFile(LPCSTR from, LPCSTR to) {
  if (!Fails("move ", to, "move %s failed\n")) return Kernel<BOOL(WINAPI*)(LPCSTR, LPCSTR)>("MoveFileA")(from, to);
  SetLastError(kInjectedError);
  return FALSE;
}

BOOL WINAPI FaultyCopyFile(LPCSTR from, LPCSTR to, BOOL failIfExists) {
  if (!Fails("copy ", to, "copy %s failed\n"))
    return Kernel<BOOL(WINAPI*)(LPCSTR, LPCSTR, BOOL)>("CopyFileA")(from, to, failIfExists);
  SetLastError(kInjectedError);
  return FALSE;
}

}  // namespace

// The worker's calls reach these through their import pointers, which are
// defined here in place of the system's (objects come before the import
// libraries). Names of 32-bit x86 (stdcall decoration).
extern "C" {
BOOL(WINAPI* faultyMoveFilePointer)(LPCSTR, LPCSTR) __asm__("__imp__MoveFileA@8") = FaultyMoveFile;
BOOL(WINAPI* faultyCopyFilePointer)(LPCSTR, LPCSTR, BOOL) __asm__("__imp__CopyFileA@12") = FaultyCopyFile;
}

void NoteFileClosed(const char* path) {
  if (Fails("names", path, nullptr)) Note("worker_closed.log", "%s\n", path);
  if (Fails("pause closed ", path, "paused at %s\n")) Pause(false);
}

void NoteFileClosedW(const WCHAR* path) {
  char name[MAX_PATH];
  if (WideCharToMultiByte(CP_ACP, 0, path, -1, name, MAX_PATH, nullptr, nullptr) > 0) NoteFileClosed(name);
}

void PassCheckpoint(const char* step) {
  Note("worker_steps.log", "%s\n", step);
  if (Fails("pause ", step, "paused at %s\n")) Pause(false);
  if (Fails("cut ", step, "cut at %s\n")) Pause(true);
}
