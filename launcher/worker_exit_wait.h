// How long the launcher waits, once the outcome is known, for the worker to
// end, so that the worker's file can be deleted. One file of its own, so
// that a test build can link a shorter wait, to meet a worker that outlives
// it without waiting the whole time.
#pragma once
#include <cstdint>

extern const uint32_t workerExitWait;
