// For a test build: the launcher waits, once its run's folder exists and
// before the worker is written into it, until a program of the test has
// tried to take the folder (the event "Vt3FolderRacerTried"), at most 20 s.
// At the checkpoint VT3_PAUSE_AT names, it signals "Vt3RunPaused" and
// waits for "Vt3RunResume", at most 60 s: a second launcher can then be
// started at that very moment of the first one's run.
#include <windows.h>

#include <cstring>

#include "launcher/run_checkpoint.h"

namespace {

void WaitForEvent(const char* name, DWORD timeout) {
  HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, name);
  if (!event) return;
  WaitForSingleObject(event, timeout);
  CloseHandle(event);
}

}  // namespace

void PassRunCheckpoint(const char* step) {
  char pauseAt[64] = {};
  DWORD length = GetEnvironmentVariableA("VT3_PAUSE_AT", pauseAt, sizeof pauseAt);
  if (length && length < sizeof pauseAt && std::strcmp(step, pauseAt) == 0) {
    HANDLE paused = OpenEventA(EVENT_MODIFY_STATE, FALSE, "Vt3RunPaused");
    if (paused) {
      SetEvent(paused);
      CloseHandle(paused);
    }
    WaitForEvent("Vt3RunResume", 60000);
  }
  if (std::strcmp(step, "run folder") == 0) WaitForEvent("Vt3FolderRacerTried", 20000);
}
