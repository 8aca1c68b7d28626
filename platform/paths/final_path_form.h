// The form of a final path that the ANSI and the plain Win32 file functions
// take. Windows reports a folder's final path in the \\?\ form, which turns
// off the normalisation those functions rely on and which the ANSI
// functions of older systems reject.
#pragma once
#include <cstddef>

// "\\?\C:\Games" becomes "C:\Games", "\\?\C:\" stays a root "C:\",
// "\\?\UNC\server\share\Games" becomes "\\server\share\Games"; a path
// without the prefix is taken as it is. With `trailingSeparator` the result
// ends in one backslash. False, with an empty result, for what has no such
// form (a volume named by its GUID, a device path) or does not fit `size`
// characters with its terminator.
bool PlainFormOfFinalPath(const wchar_t* finalPath, bool trailingSeparator, wchar_t* plain, size_t size);
