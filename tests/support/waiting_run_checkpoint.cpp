// For a test build: the launcher waits, once its run's folder exists and
// before the worker is written into it, until a program of the test has
// tried to take the folder (the event "Vt3FolderRacerTried"), at most 20 s.
#include <windows.h>

#include <cstring>

#include "launcher/run_checkpoint.h"

void PassRunCheckpoint(const char* step) {
  if (std::strcmp(step, "run folder") != 0) return;
  HANDLE tried = OpenEventA(SYNCHRONIZE, FALSE, "Vt3FolderRacerTried");
  if (!tried) return;
  WaitForSingleObject(tried, 20000);
  CloseHandle(tried);
}
