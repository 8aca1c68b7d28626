// Scheduling a file or an empty folder for removal at the next start of
// Windows, for what is still in use when a run ends.
#pragma once

// NT: MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT. 9x: a line
// "NUL=<short path>" in the [rename] section of wininit.ini.
bool RemoveAtReboot(const char* path);
