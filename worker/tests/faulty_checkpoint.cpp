// The worker's checkpoints for a test build that can end there: a line
// "end STEP" in "worker_faults.txt" in the game directory (the worker's
// current directory) ends the process at that checkpoint, as if it were
// killed there, and notes the step in "worker_faults.log".
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "worker/step_checkpoint.h"

void PassCheckpoint(const char* step) {
  FILE* file = std::fopen("worker_faults.txt", "r");
  if (!file) return;
  char line[MAX_PATH];
  bool end = false;
  while (!end && std::fgets(line, sizeof line, file)) {
    char word[16] = {}, name[32] = {};
    end = std::sscanf(line, "%15s %31s", word, name) == 2 && std::strcmp(word, "end") == 0 &&
          std::strcmp(name, step) == 0;
  }
  std::fclose(file);
  if (!end) return;
  FILE* log = std::fopen("worker_faults.log", "a");
  if (log) {
    std::fprintf(log, "ended at %s\n", step);
    std::fclose(log);
  }
  TerminateProcess(GetCurrentProcess(), 1);
}
