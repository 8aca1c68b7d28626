#include "game/game_settings.h"

#include <windows.h>

#include "game/game_folder.h"
#include "game/game_key.h"

bool ReadGameSetting(const char* valueName, char* buffer, uint32_t bufferSize) {
  RegistryKey gameKey;
  if (!OpenGameKey(&gameKey)) return false;
  HKEY key = gameKey.Handle();
  bool read = false;
  DWORD type = 0;
  DWORD size = 0;
  if (buffer && bufferSize > 0 && RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ && size <= bufferSize) {
    DWORD got = bufferSize;
    read = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &got) == ERROR_SUCCESS &&
           type == REG_SZ;
    // A value written without its terminator must not leave the text open-ended.
    if (read) {
      if (got < bufferSize) buffer[got] = 0;
      else if (got == 0 || buffer[got - 1] != 0) read = false;
    }
  }
  return read;
}

namespace {

// A real code page, as the C runtime passes: Windows 98 and ME are not
// documented to take CP_ACP here.
bool AnsiLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(GetACP(), byte) != 0; }

}  // namespace

bool ReadGameFolder(char* folder) {
  char value[MAX_PATH];
  folder[0] = 0;
  if (!ReadGameSetting("SavingPath", value, MAX_PATH)) return false;
  return !value[0] || NormalGameFolder(value, AnsiLeadByte, folder);
}
