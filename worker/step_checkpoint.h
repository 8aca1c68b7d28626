#pragma once

// Passed once a step of the update is done and recorded: "replaced" (the
// new game in place), then "readme", "shortcuts", "lobby", "joystick". The
// shipped worker does nothing here; a test build ends itself at a named
// step, as a worker killed at that moment would end.
void PassCheckpoint(const char* step);
