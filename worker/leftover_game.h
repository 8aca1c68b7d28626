#pragma once

// Deletes what an earlier, interrupted run left of the new game in the game
// directory: files named as the temporary-file service names them there
// ("tmp", up to four hexadecimal digits, ".tmp") whose FileVersion is
// `newVersion`. Any other file stays, whatever its name.
void RemoveLeftoverNewGames(const char* gameDirectory, const char* newVersion);
