// Another program may hold a file for a moment: an on-access virus scanner
// opens every new file without sharing deletion while it scans, and other
// programs read the game's files. A move, rename or delete that meets such
// a hold is tried again, with growing waits, instead of failing at once.
#pragma once
#include <windows.h>

// The waits between the attempts of one operation: after a failure,
// whether to try again, having waited longer each time. About five seconds
// per operation, and never more than kBusyRetryBudgetMs over the whole
// process, so that a file that is really denied does not multiply the
// waits. Only a file in use (sharing or lock violation, access denied) is
// waited for; the failure's error stays in GetLastError.
class BusyRetry {
 public:
  BusyRetry() : wait(10), waited(0) {}
  bool WaitAfterFailure();

 private:
  DWORD wait;
  DWORD waited;
};

// Calls `attempt()` until it returns true or fails for a reason other than
// a file in use. The attempt must leave its failure in GetLastError; it
// stays there when this returns false.
template <typename Attempt>
bool RetryWhileBusy(Attempt&& attempt) {
  BusyRetry retry;
  while (!attempt())
    if (!retry.WaitAfterFailure()) return false;
  return true;
}

// A read-only file loses that attribute, once, before the delete is retried.
bool DeleteFileRetrying(const char* path);
// MoveFileA: fails when `to` exists.
bool MoveFileRetrying(const char* from, const char* to);

constexpr DWORD kBusyRetryOperationMs = 5000;
constexpr DWORD kBusyRetryBudgetMs = 30000;
