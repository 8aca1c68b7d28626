#include "worker/file_moves.h"

#include <windows.h>


bool CanMoveReplacing() { return HeldFile::CanRename(); }

bool MoveReplacing(HeldFile* file, const char* to) { return file->RenameReplacing(to); }

bool MoveNoReplace(const char* from, const char* to) { return MoveFileA(from, to) != 0; }

bool CopyNoReplace(const char* from, const char* to) { return CopyFileA(from, to, TRUE) != 0; }
