// A test build's clock for the waits between retries: while counting, a
// Sleep of the process only adds to a total and yields, so that a test can
// spend the whole retry budget without waiting it out.
#pragma once
#include <windows.h>

void CountSleeps(bool counting);
// What was asked to sleep while counting, in milliseconds.
DWORD SleptMs();
