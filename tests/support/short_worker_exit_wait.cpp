// For a test build: the launcher waits only a second for its worker to end.
#include "launcher/worker_exit_wait.h"

const uint32_t workerExitWait = 1000;
