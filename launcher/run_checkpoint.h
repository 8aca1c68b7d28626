#pragma once

// Passed at a named moment of the launcher's run: "run folder" once the
// run's folder exists and before the worker is written into it. The
// shipped launcher does nothing here; a test build waits there for a
// program of the test to act.
void PassRunCheckpoint(const char* step);
