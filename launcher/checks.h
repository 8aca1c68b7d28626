#pragma once
#include <windows.h>

#include <cstdint>

#include "platform/system/system_library.h"  // IsWindowsNT

// Whether the list holds the Administrators group enabled.
bool GroupsIncludeAdministrators(const TOKEN_GROUPS* groups);
// On the NT family: whether the thread's (or else the process's) token
// holds the Administrators group enabled.
BOOL IsAdministrator();
bool IsGameInstalled();
bool HasEnoughColours();
bool HasEnoughDiskSpace(const char* path, uint64_t required);
