#pragma once

// Writes the six ReadMe files into the game directory, each replacing a
// file of the same name; a row that fails does not stop the others. True
// when every row is written, or kept as a read-only file of the player's.
bool WriteReadMeFiles(const char* gameDirectory);
