#include "worker/file_moves.h"

#include <windows.h>

#include "platform/files/busy_retry.h"

bool CanMoveReplacing() { return HeldFile::CanRename(); }

// Retried while the file in place is open without shared deletion (a
// scanner, a program reading the old game).
bool MoveReplacing(HeldFile* file, HANDLE folder, const char* to) {
  return RetryWhileBusy([&] { return file->RenameReplacing(folder, to); });
}

bool MoveNoReplace(const char* from, const char* to) { return MoveFileRetrying(from, to); }

bool CopyNoReplace(const char* from, const char* to) { return CopyFileA(from, to, TRUE) != 0; }
