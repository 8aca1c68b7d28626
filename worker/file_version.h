#pragma once

constexpr unsigned kVersionStringSize = 256;

// The FileVersion string of the file's first translation. False when the
// file has no version information, no translation, no FileVersion, or one
// longer than 255 characters.
bool GetFileVersionString(const char* path, char* version);
// True only when both versions can be read and the new one is greater.
bool IsNewerFileVersion(const char* newPath, const char* installedPath);
