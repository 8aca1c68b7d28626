#pragma once

// Deletes what an earlier, interrupted run left of the new game in the game
// directory: files named as the temporary-file service names them there
// ("tmp", up to four hexadecimal digits, ".tmp") whose FileVersion is
// `newVersion`. Any other file stays, whatever its name.
void RemoveLeftoverNewGames(const char* gameDirectory, const char* newVersion);
// Finds a new game of this update's own naming ("tmp", sixteen hexadecimal
// digits, ".tmp") and FileVersion in the game directory; its path goes to
// `path` (MAX_PATH characters).
bool FindKeptNewGame(const char* gameDirectory, const char* newVersion, char* path);
