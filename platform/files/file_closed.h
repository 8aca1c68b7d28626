// Where the update lets go of a file it has just written (or that a program
// it ran has just used): the moment an on-access virus scanner opens such a
// file, without sharing deletion, for as long as its scan takes. The
// shipped programs do nothing here; a test build hands the file to a
// scanner of its own and goes on only once that scanner holds it.
#pragma once
#include <windows.h>

void NoteFileClosed(const char* path);
void NoteFileClosedW(const WCHAR* path);
