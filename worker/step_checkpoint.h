#pragma once

// Passed once a step of the update is done and recorded: "start" (the
// game folder found), "written" (the new game beside the old one),
// "deleted" (9x: the old game deleted, the new one not yet moved),
// "replaced" (the new game in place), then "readme", "shortcuts", "lobby",
// "bak-aside", "ini-backed-up", "defaults-placed" (the three joystick
// moves) and "joystick". The shipped worker does nothing here; a test
// build ends itself at a named step, or waits there to be ended with every
// process of the run, as a worker killed at that moment would end.
void PassCheckpoint(const char* step);
