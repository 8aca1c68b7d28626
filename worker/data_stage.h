// Runs the new game executable once as the data stage and tells how it
// ended.
#pragma once

enum class DataStageEnd { kEnded, kNotStarted, kCrashed };

// Starts `program` with `commandLine` as its whole command line and waits
// for it. It gets the default DLL search order, as when the player starts
// the game: the worker's narrowed search would be inherited and hide the
// DLLs in the game's own folder.
DataStageEnd RunDataStage(const char* program, const char* commandLine);
