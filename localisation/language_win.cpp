#include <windows.h>

#include "game/game_key.h"
#include "localisation/language.h"

int32_t GetLanguageIndex() {
  HKEY key = nullptr;
  uint32_t value = 0xFFFFFFFFu;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKeyPath, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    DWORD number = 0;
    DWORD size = sizeof number;
    if (RegQueryValueExA(key, "Language", nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size) ==
        ERROR_SUCCESS)
      value = number;
    RegCloseKey(key);
  } else {
    value = GetSystemDefaultLangID();
  }
  return LanguageIndexFromId(value);
}
