#pragma once
#include <cstdint>

// Clears the read-only attribute of a file of one name; every other
// attribute stays.
void MakeWritable(const char* path);
// True for an existing regular file; stores what the caller asks for.
bool GetFileInfo(const char* path, uint32_t* size, int32_t* modificationTime);
// Formats into a buffer of `size`; false, with an empty buffer, when the
// result would not fit.
bool FormatPath(char* buffer, uint32_t size, const char* format, ...);
