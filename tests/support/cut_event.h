// The named event through which a test build tells its test that it has
// reached the step where the test is to cut the run short: the worker at
// a checkpoint, the stand-in data stage at a count. The test creates it,
// waits for it, then ends every process of the run at once.
#pragma once

constexpr char kCutEventName[] = "Vt3CutReached";
// How long the signalling process waits to be ended before it ends itself.
constexpr unsigned long kCutWaitMs = 60000;
// The event with which the test lets a worker paused at a step go on.
constexpr char kPauseOverEventName[] = "Vt3PauseOver";
