// What the tools that drive the whole update share with its tests: the old
// lobby registration of an installed game, and a file's version.
#pragma once
#include <string>

#include "tests/support/harness.h"
#include "worker/file_version.h"
#include "worker/lobby.h"

inline std::string Version(const std::string& path) {
  char version[kVersionStringSize] = {};
  return GetFileVersionString(path.c_str(), version) ? version : "";
}

inline void InstallOldLobbyKey(const std::string& directory) {
  DeleteMachineTree(kNewLobbyKey);
  const char* const values[][2] = {
      {"CURRENTDIRECTORY", directory.c_str()}, {"EXECUTABLEFILENAME", "vt3.exe"}, {"LAUNCHERFILENAME", "vt3.exe"},
      {"EXECUTABLEPATH", directory.c_str()}, {"APPLICATIONNAME", "Vantor 3"}, {"DESCRIPTION", "Vantor 3 racing"},
      {"GUID", "{821B7D8A-5917-442A-8553-8DFCC67E8E37}"}, {"LAUNCHERPATH", directory.c_str()},
      {"COMMANDLINE", "-lobby"}};
  for (const auto& value : values) SetMachineString(kOldLobbyKey, value[0], value[1]);
}
