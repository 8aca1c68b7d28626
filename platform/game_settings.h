#pragma once
#include <cstdint>

// Reads a REG_SZ value of the game key into the buffer; false when the key
// or value is missing, of another type, or does not fit with its terminator.
bool ReadGameSetting(const char* valueName, char* buffer, uint32_t bufferSize);
