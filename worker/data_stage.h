// Runs the new game executable once as the data stage and tells how it
// ended.
#pragma once

enum class DataStageEnd { kEnded, kNotStarted, kCrashed };

// Starts `program` with `commandLine` as its whole command line and waits
// for it, in the current folder (the game folder). It gets the default DLL
// search order, as when the player starts the game: the worker's narrowed
// search would be inherited and drop the current folder, through which the
// game's own DLLs are found.
DataStageEnd RunDataStage(const char* program, const char* commandLine);
