#pragma once

// Attaches to the launcher's control block, runs the installation and
// reports its end there. False when the block cannot be reached.
bool RunWorker();
