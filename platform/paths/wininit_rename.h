// The text of wininit.ini, which Windows 9x carries out at its next start:
// every line "NUL=<short path>" of its [rename] section deletes that file.
// Kept apart from Windows so that it can be checked natively.
#pragma once
#include <cstddef>

// The bytes AddRenameLine needs at most for `iniSize` bytes and `line`.
size_t RenameTextCapacity(size_t iniSize, const char* line);
// Writes `ini` with `line` added at the end of its [rename] section (made
// when missing) to `out`, and returns its length, or 0 when `capacity` is
// too small. Every other line stays as it was: several "NUL=" keys are
// normal there, and each is another program's pending removal.
size_t AddRenameLine(const char* ini, size_t iniSize, const char* line, char* out, size_t capacity);
