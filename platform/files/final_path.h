// The folders a run works in, by their final paths. A player may reach the
// game, temporary or desktop folder through a junction of their own (a game
// moved to another drive); a process that refuses such junctions
// (platform/system/redirection_trust.h) must then name the folder behind it.
#pragma once
#include <windows.h>

// Replaces the path of an existing folder by its final path, in plain Win32
// form, where the system can tell it (GetFinalPathNameByHandleW, looked up:
// Windows Vista on). The path stays as it was where it cannot, or where the
// final path does not fit `size` or cannot be written in the ANSI code page.
// A path that ended in a backslash keeps one. True when the path was
// replaced (by the same one, where it was final already).
bool ResolveFinalPath(char* path, DWORD size);
// The same for a path in UTF-16 (NT only).
bool ResolveFinalPathW(wchar_t* path, DWORD size);
