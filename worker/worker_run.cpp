#include "worker/worker_run.h"

#include <windows.h>

#include "transport/control_block.h"
#include "transport/shared_section.h"
#include "worker/installation.h"

namespace {

constexpr int kAttempts = 1000;
constexpr DWORD kAttemptPause = 10;
// Any process may create and hold the block's mutex; the worker waits for
// it this long at most, each time.
constexpr DWORD kLockWait = 5000;

// An abandoned mutex is given back by Lock and taken on the next try.
bool LockWithin(SharedSection& section, DWORD total) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= total) return false;
    if (section.Lock(total - elapsed)) return true;
    Sleep(kAttemptPause);
  }
}

}  // namespace

bool RunWorker() {
  SharedSection section;
  volatile ControlBlock* block = nullptr;
  for (int attempt = 0; attempt < kAttempts && !block; ++attempt) {
    block = static_cast<volatile ControlBlock*>(section.Open(kControlSectionName));
    if (!block) Sleep(kAttemptPause);
  }
  if (!block) return false;
  if (LockWithin(section, kLockWait)) section.Unlock();

  bool installed = RunInstallation(block);

  // The result is stored even without the lock: the launcher reads these
  // fields without it, and a worker that ended without them would make a
  // finished update look like a failure. Only the worker writes them now
  // that the data stage has ended; errorCode goes first, as the launcher
  // reads doneFlag first.
  bool locked = LockWithin(section, kLockWait);
  // A code the data stage left is never overwritten.
  if (!installed && workerError != 0 && block->errorCode == 0) block->errorCode = static_cast<int32_t>(workerError);
  block->doneFlag = 1;
  if (locked) section.Unlock();
  section.Close();
  return installed;
}
