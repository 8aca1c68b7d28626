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

// Sets the test's event `name` (0) or waits for it, where the test made it.
void UseEvent(const char* name, DWORD waitMs) {
  HANDLE event = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name);
  if (!event) return;
  if (waitMs) WaitForSingleObject(event, waitMs);
  else SetEvent(event);
  CloseHandle(event);
}

}  // namespace

void PassRunCheckpoint(const char* step) {
  char pauseAt[64] = {};
  DWORD length = GetEnvironmentVariableA("VT3_PAUSE_AT", pauseAt, sizeof pauseAt);
  if (length && length < sizeof pauseAt && std::strcmp(step, pauseAt) == 0) {
    UseEvent("Vt3RunPaused", 0);
    UseEvent("Vt3RunResume", 60000);
  }
  if (std::strcmp(step, "run folder") == 0) UseEvent("Vt3FolderRacerTried", 20000);
}
