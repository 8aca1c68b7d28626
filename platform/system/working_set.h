// Pages the launcher has read once and will not need again, such as a
// payload's bytes in its own image, leave its working set at once: they
// would otherwise count in its peak beside the sections it fills next.
#pragma once
#include <cstdint>

// Removes the pages of the range from the working set (they stay in memory
// as long as the system likes, and come back when touched). Nothing happens
// where the system cannot do it (9x).
void LeaveWorkingSet(const void* bytes, uint32_t size);
