#include "launcher/update_lock.h"

// Ten minutes: a data stage on a slow machine, ended launcher or not, is
// long done by then.
const uint32_t earlierRunWait = 600000;
