#pragma once

// Passed at a named moment of the launcher's run: "publishing" before the
// first payload section, "between sections" before the second, "run
// folder" once the run's folder exists and before the worker is written
// into it, "worker started" right after the worker's start. The
// shipped launcher does nothing here; a test build waits there for a
// program of the test to act.
void PassRunCheckpoint(const char* step);
