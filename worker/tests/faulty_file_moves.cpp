// The worker's file moves and checkpoints for a test build that can make
// them fail: a file "worker_faults.txt" in the game directory (the worker's
// current directory) names, one a line, an operation and the file name its
// target ends with, and "once" for a move that fails only the first time;
// "end STEP" ends the process at that checkpoint, as if it were killed
// there; "cut STEP" signals the test's cut event there and waits to be
// ended together with the launcher. Each fault is noted in
// "worker_faults.log", each checkpoint passed in "worker_steps.log".
//   move vt3.exe | copy vt3.exe | replace vt3.exe | move joystick.ini once | end replaced | cut readme ...
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/system_library.h"
#include "tests/support/cut_event.h"
#include "worker/file_moves.h"
#include "worker/step_checkpoint.h"

namespace {

// `note` is the log line, with the target for its %s.
bool Fails(const char* operation, const char* target, const char* note) {
  FILE* file = std::fopen("worker_faults.txt", "r");
  if (!file) return false;
  char line[MAX_PATH];
  bool fails = false;
  size_t targetLength = std::strlen(target);
  static int onceUsed = 0;
  while (!fails && std::fgets(line, sizeof line, file)) {
    char word[16] = {}, name[MAX_PATH] = {}, once[8] = {};
    if (std::sscanf(line, "%15s %259s %7s", word, name, once) < 2 || std::strcmp(word, operation) != 0) continue;
    size_t nameLength = std::strlen(name);
    fails = nameLength <= targetLength && _stricmp(target + targetLength - nameLength, name) == 0 &&
            !(std::strcmp(once, "once") == 0 && onceUsed++);
  }
  std::fclose(file);
  if (fails) {
    FILE* log = std::fopen("worker_faults.log", "a");
    if (log) {
      std::fprintf(log, note, target);
      std::fclose(log);
    }
  }
  return fails;
}

}  // namespace

bool CanMoveReplacing() { return HeldFile::CanRename(); }

bool MoveReplacing(HeldFile* file, HANDLE folder, const char* to) {
  return !Fails("replace", to, "replace %s failed\n") && file->RenameReplacing(folder, to);
}

bool MoveNoReplace(const char* from, const char* to) {
  return !Fails("move", to, "move %s failed\n") && MoveFileA(from, to);
}

bool CopyNoReplace(const char* from, const char* to) {
  return !Fails("copy", to, "copy %s failed\n") && CopyFileA(from, to, TRUE);
}

void PassCheckpoint(const char* step) {
  FILE* steps = std::fopen("worker_steps.log", "a");
  if (steps) {
    std::fprintf(steps, "%s\n", step);
    std::fclose(steps);
  }
  if (Fails("end", step, "ended at %s\n")) TerminateProcess(GetCurrentProcess(), 1);
  if (Fails("cut", step, "cut at %s\n")) {
    HANDLE reached = OpenEventA(EVENT_MODIFY_STATE, FALSE, kCutEventName);
    if (reached) SetEvent(reached);
    Sleep(kCutWaitMs);
    TerminateProcess(GetCurrentProcess(), 1);
  }
}
