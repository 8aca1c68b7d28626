#include "worker/worker_run.h"

#include <windows.h>

#include "transport/control_block.h"
#include "transport/shared_section.h"
#include "worker/installation.h"

namespace {

constexpr int kAttempts = 1000;
constexpr DWORD kAttemptPause = 10;

bool LockWithRetries(SharedSection& section) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (section.Lock(INFINITE)) return true;
    Sleep(kAttemptPause);
  }
  return false;
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
  if (LockWithRetries(section)) section.Unlock();

  bool installed = RunInstallation(block);

  if (LockWithRetries(section)) {
    // A code the data stage left is never overwritten.
    if (!installed && workerError != 0 && block->errorCode == 0) block->errorCode = static_cast<int32_t>(workerError);
    block->doneFlag = 1;
    section.Unlock();
  }
  section.Close();
  return installed;
}
