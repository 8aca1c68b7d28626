#include "worker/file_moves.h"

#include <windows.h>

#include "platform/system_library.h"

namespace {

typedef BOOL(WINAPI* MoveFileExFunction)(LPCSTR, LPCSTR, DWORD);

// Windows 9x exports MoveFileExA only as a stub that fails.
MoveFileExFunction MoveFileEx() { return IsWindowsNT() ? KernelFunction<MoveFileExFunction>("MoveFileExA") : nullptr; }

}  // namespace

bool CanMoveReplacing() { return MoveFileEx() != nullptr; }

bool MoveReplacing(const char* from, const char* to) {
  MoveFileExFunction move = MoveFileEx();
  return move && move(from, to, MOVEFILE_REPLACE_EXISTING);
}

bool MoveNoReplace(const char* from, const char* to) { return MoveFileA(from, to) != 0; }

bool CopyNoReplace(const char* from, const char* to) { return CopyFileA(from, to, TRUE) != 0; }
