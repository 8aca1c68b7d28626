// Paths the system gives in UTF-16 and the update uses in the ANSI code
// page, where only a name that comes back unchanged names the same folder.
#pragma once
#include <windows.h>

// Whether `path`, a folder the system names in UTF-16, can be written in the
// ANSI code page without becoming another name: best fit may turn a letter
// outside the code page into a look-alike ("Ł" into "L") instead of "?".
bool SurvivesAnsi(const wchar_t* path);
// The same for a code page; UTF-8 (the ANSI code page where Windows 10 1903
// and later are set so) gets no used-default flag, which it refuses.
bool SurvivesCodePage(UINT codePage, const wchar_t* path);
// WideCharToMultiByte, whole string, no default character: one definition
// of its own, so that a test can link one that behaves as Windows does
// where Wine does not (Wine accepts the flag with UTF-8).
int WideToMultiByteCall(UINT codePage, const wchar_t* text, char* out, int size, BOOL* usedDefault);
