// For a test build: the launcher waits only two seconds for an earlier
// run's worker to let go of the control block.
#include "launcher/update_lock.h"

const uint32_t earlierRunWait = 2000;
