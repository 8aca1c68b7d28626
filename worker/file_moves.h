// The file operations that put the new game and the new joystick settings
// in place. One file of their own, so that a test build of the worker can
// link versions that fail on request.
#pragma once

#include "platform/files/held_file.h"

// The moves meet files another program has open for a moment (a virus
// scanner, a reader of the game's files): they are retried, bounded
// (platform/files/busy_retry.h).
//
// Renames the held file to `to` replacing `to` in one step, through its
// handle, where the system has such a move (the NT family): `to` is a name
// in the open `folder`, or a full path where `folder` is
// INVALID_HANDLE_VALUE. False otherwise, or when the move failed, and then
// both files are as they were.
bool MoveReplacing(HeldFile* file, HANDLE folder, const char* to);
// Renames `from` to `to`; fails when `to` exists.
bool MoveNoReplace(const char* from, const char* to);
// Copies `from` to `to`; fails when `to` exists.
bool CopyNoReplace(const char* from, const char* to);
// Whether MoveReplacing can work on this system at all.
bool CanMoveReplacing();
