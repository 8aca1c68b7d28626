#pragma once
#include <cstdint>

// Reads a REG_SZ value of the game key into the buffer; false when the key
// or value is missing, of another type, or does not fit with its terminator.
bool ReadGameSetting(const char* valueName, char* buffer, uint32_t bufferSize);
// The game folder: "SavingPath" in its normal form (game/game_folder.h),
// into a buffer of MAX_PATH; its two-byte characters are those of the ANSI
// code page, in which the registry's A functions give it. False when the
// value cannot be read or its form is refused. An empty value gives an
// empty folder, which names none.
bool ReadGameFolder(char* folder);
