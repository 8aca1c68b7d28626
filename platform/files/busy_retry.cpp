#include "platform/files/busy_retry.h"

namespace {

DWORD budgetLeft = kBusyRetryBudgetMs;

bool IsBusy(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

}  // namespace

bool BusyRetry::WaitAfterFailure() {
  DWORD error = GetLastError();
  if (!IsBusy(error) || waited >= kBusyRetryOperationMs || budgetLeft == 0) {
    SetLastError(error);
    return false;
  }
  DWORD pause = wait;
  if (pause > kBusyRetryOperationMs - waited) pause = kBusyRetryOperationMs - waited;
  if (pause > budgetLeft) pause = budgetLeft;
  Sleep(pause);
  waited += pause;
  budgetLeft -= pause;
  if (wait < 640) wait *= 2;
  return true;
}

bool DeleteFileRetrying(const char* path) {
  // A read-only file is refused as a held one is: its attribute is cleared
  // once, so that the retries wait only for what can end.
  bool cleared = false;
  return RetryWhileBusy([&] {
    if (DeleteFileA(path)) return true;
    DWORD error = GetLastError();
    DWORD attributes =
        error == ERROR_ACCESS_DENIED && !cleared ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      cleared = true;
      SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
      if (DeleteFileA(path)) return true;
      error = GetLastError();
    }
    SetLastError(error);
    return false;
  });
}

bool MoveFileRetrying(const char* from, const char* to) {
  return RetryWhileBusy([&] { return MoveFileA(from, to) != 0; });
}
