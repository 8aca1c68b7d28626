#include "worker/lobby.h"

#include <initializer_list>

#include "game/registry_key.h"
#include "platform/system/system_library.h"

namespace {

void CopyValue(const char* name) {
  RegistryKey from(kOldLobbyKey, name);
  RegistryKey to(kNewLobbyKey, name);
  // Through the code page a value loses the characters it cannot hold; the
  // wide functions copy it whole (9x has only stubs of them).
  if (IsWindowsNT()) {
    const WCHAR* text = from.GetWideString();
    if (text) to.SetWideString(text);
    return;
  }
  const char* text = from.GetString();
  if (text) to.SetString(text);
}

}  // namespace

bool RegisterLobbyApplication() {
  bool created;
  {
    RegistryKey key(kNewLobbyKey, "");
    created = key.Create();
  }
  for (const char* name :
       {"CURRENTDIRECTORY", "EXECUTABLEFILENAME", "LAUNCHERFILENAME", "EXECUTABLEPATH", "APPLICATIONNAME", "DESCRIPTION"})
    CopyValue(name);
  bool guid = RegistryKey(kNewLobbyKey, "GUID").SetString(kNewLobbyGuid);
  CopyValue("LAUNCHERPATH");
  CopyValue("COMMANDLINE");
  // Without the new key the old registration is all the game has.
  if (!created) return false;
  RegistryKey old(kOldLobbyKey, "");
  old.Delete();
  return guid;
}
