#include "platform/busy_retry.h"

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
  return RetryWhileBusy([](void* name) { return DeleteFileA(static_cast<const char*>(name)) != 0; },
                        const_cast<char*>(path));
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
