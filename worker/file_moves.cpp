#include "worker/file_moves.h"

#include <windows.h>


bool CanMoveReplacing() { return HeldFile::CanRename(); }

bool MoveReplacing(HeldFile* file, HANDLE folder, const char* to) { return file->RenameReplacing(folder, to); }

bool MoveNoReplace(const char* from, const char* to) { return MoveFileA(from, to) != 0; }

bool CopyNoReplace(const char* from, const char* to) { return CopyFileA(from, to, TRUE) != 0; }
