// Another program may hold a file for a moment: an on-access virus scanner
// opens every new file without sharing deletion while it scans, and other
// programs read the game's files. A move, rename or delete that meets such
// a hold is tried again, with growing waits, instead of failing at once.
#pragma once
#include <windows.h>

// Calls `attempt(context)` until it returns true or fails for a reason
// other than a file in use (sharing or lock violation, access denied),
// waiting longer each time: about five seconds per operation, and never
// more than kBusyRetryBudgetMs over the whole process, so that a file that
// is really denied does not multiply the waits. The attempt must leave its
// failure in GetLastError; it stays there when this returns false.
bool RetryWhileBusy(bool (*attempt)(void* context), void* context);

// A read-only file loses that attribute, once, before the delete is retried.
bool DeleteFileRetrying(const char* path);
// MoveFileA: fails when `to` exists.
bool MoveFileRetrying(const char* from, const char* to);

constexpr DWORD kBusyRetryOperationMs = 5000;
constexpr DWORD kBusyRetryBudgetMs = 30000;
