// Writing a whole buffer through a handle. A file of its own, so that a test
// build can link a write that damages what it writes.
#pragma once
#include <windows.h>

#include <cstdint>

bool WriteAll(HANDLE file, const void* bytes, uint32_t size);
