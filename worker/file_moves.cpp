#include "worker/file_moves.h"

#include <windows.h>

#include "platform/files/busy_retry.h"

namespace {

struct Replacement {
  HeldFile* file;
  HANDLE folder;
  const char* to;
};

}  // namespace

bool CanMoveReplacing() { return HeldFile::CanRename(); }

// Retried while the file in place is open without shared deletion (a
// scanner, a program reading the old game).
bool MoveReplacing(HeldFile* file, HANDLE folder, const char* to) {
  Replacement replacement = {file, folder, to};
  return RetryWhileBusy(
      [](void* context) {
        const Replacement* names = static_cast<const Replacement*>(context);
        return names->file->RenameReplacing(names->folder, names->to);
      },
      &replacement);
}

bool MoveNoReplace(const char* from, const char* to) { return MoveFileRetrying(from, to); }

bool CopyNoReplace(const char* from, const char* to) { return CopyFileA(from, to, TRUE) != 0; }
