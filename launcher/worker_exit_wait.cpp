#include "launcher/worker_exit_wait.h"

const uint32_t workerExitWait = 30000;
