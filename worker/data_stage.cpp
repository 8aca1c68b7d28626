#include "worker/data_stage.h"

#include <process.h>
#include <windows.h>

#include <cstdint>

#include "platform/system/system_library.h"

DataStageEnd RunDataStage(const char* program, const char* commandLine) {
  // The worker's own setting is back in force as soon as the child runs;
  // "" (no directory, the current one left out) when it had none.
  char restricted[MAX_PATH];
  GetDllDirectoryIfPresent(restricted, MAX_PATH);
  SetDllDirectoryIfPresent(nullptr);
  // The command line is left unquoted, as the game expects it.
  intptr_t status = _spawnl(_P_WAIT, program, commandLine, nullptr);
  SetDllDirectoryIfPresent(restricted);
  if (status == -1) return DataStageEnd::kNotStarted;
  // Ended by an exception, not by its own hand.
  if ((static_cast<uint32_t>(status) & 0xF0000000u) == 0xC0000000u) return DataStageEnd::kCrashed;
  return DataStageEnd::kEnded;
}
