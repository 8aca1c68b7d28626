#pragma once
#include <cstdint>

// Maps a Windows language identifier (only its primary-language byte counts)
// to a column of the string table: 0 English ... 5 Swedish.
int32_t LanguageIndexFromId(uint32_t languageId);

#ifdef _WIN32
// The game's "Language" setting, or the system language when the game key
// cannot be opened.
int32_t GetLanguageIndex();
#endif
