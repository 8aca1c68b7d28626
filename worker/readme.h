#pragma once

// Writes the six ReadMe files into the game directory, each replacing a
// file of the same name; a row that fails does not stop the others.
bool WriteReadMeFiles(const char* gameDirectory);
