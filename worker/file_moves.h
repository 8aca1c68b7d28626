// The file operations that put the new game and the new joystick settings
// in place. One file of their own, so that a test build of the worker can
// link versions that fail on request.
#pragma once

// Renames `from` to `to` replacing `to` in one step, where the system has
// such a move (MoveFileExA on the NT family); false otherwise, or when the
// move failed, and then both files are as they were.
bool MoveReplacing(const char* from, const char* to);
// Renames `from` to `to`; fails when `to` exists.
bool MoveNoReplace(const char* from, const char* to);
// Copies `from` to `to`; fails when `to` exists.
bool CopyNoReplace(const char* from, const char* to);
// Whether MoveReplacing can work on this system at all.
bool CanMoveReplacing();
