#pragma once
#include <string>

#include "tests/support/harness.h"
#include "worker/lobby.h"

inline void InstallOldLobbyKey(const std::string& gameDirectory) {
  DeleteMachineTree(kNewLobbyKey);
  SetMachineString(kOldLobbyKey, "CURRENTDIRECTORY", gameDirectory);
  SetMachineString(kOldLobbyKey, "EXECUTABLEFILENAME", "vt3.exe");
  SetMachineString(kOldLobbyKey, "LAUNCHERFILENAME", "vt3.exe");
  SetMachineString(kOldLobbyKey, "EXECUTABLEPATH", gameDirectory);
  SetMachineString(kOldLobbyKey, "APPLICATIONNAME", "Vantor 3");
  SetMachineString(kOldLobbyKey, "DESCRIPTION", "Vantor 3 racing");
  SetMachineString(kOldLobbyKey, "GUID", "{821B7D8A-5917-442A-8553-8DFCC67E8E37}");
  SetMachineString(kOldLobbyKey, "LAUNCHERPATH", gameDirectory);
  SetMachineString(kOldLobbyKey, "COMMANDLINE", "-lobby");
}
