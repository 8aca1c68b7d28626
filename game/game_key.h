// The installed game's registry key, below HKEY_LOCAL_MACHINE: its values
// "SavingPath", "DataPath" and "Language" are the update's configuration,
// and the worker keeps the records of its finished steps there.
#pragma once
#include <windows.h>

#include "game/registry_key.h"

inline constexpr const char* kGameKeyPath = "Software\\BrenmarkSoft\\Vantor 3\\1.00.0000";

// Opens the game key into `key`, the one way every reader opens it. With
// KEY_ALL_ACCESS, as the checks, the language and the settings open it, a
// key that exists but cannot be opened so counts as no game installed (and
// gives the system's language); the records of finished steps ask for the
// value rights they use only.
bool OpenGameKey(RegistryKey* key, REGSAM access = KEY_ALL_ACCESS);
