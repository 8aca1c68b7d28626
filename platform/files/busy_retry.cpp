#include "platform/files/busy_retry.h"

namespace {

DWORD budgetLeft = kBusyRetryBudgetMs;

bool IsBusy(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

struct Move {
  const char* from;
  const char* to;
};

}  // namespace

bool RetryWhileBusy(bool (*attempt)(void* context), void* context) {
  DWORD wait = 10, waited = 0;
  for (;;) {
    if (attempt(context)) return true;
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
  }
}

bool DeleteFileRetrying(const char* path) {
  // A read-only file is refused as a held one is: its attribute is cleared
  // once, so that the retries wait only for what can end.
  struct Delete {
    const char* path;
    bool cleared;
  } remove = {path, false};
  return RetryWhileBusy(
      [](void* context) {
        Delete* file = static_cast<Delete*>(context);
        if (DeleteFileA(file->path)) return true;
        DWORD error = GetLastError();
        DWORD attributes = error == ERROR_ACCESS_DENIED && !file->cleared ? GetFileAttributesA(file->path)
                                                                          : INVALID_FILE_ATTRIBUTES;
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
            !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
          file->cleared = true;
          SetFileAttributesA(file->path, attributes & ~FILE_ATTRIBUTE_READONLY);
          if (DeleteFileA(file->path)) return true;
          error = GetLastError();
        }
        SetLastError(error);
        return false;
      },
      &remove);
}

bool MoveFileRetrying(const char* from, const char* to) {
  Move move = {from, to};
  return RetryWhileBusy(
      [](void* context) {
        const Move* names = static_cast<const Move*>(context);
        return MoveFileA(names->from, names->to) != 0;
      },
      &move);
}
