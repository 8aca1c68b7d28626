// The platform tests' seam where a HeldFile lets go of a file: the hook a
// test sets meddles with the file there, as another program could.
#pragma once

extern void (*fileClosedHook)(const char* path);
