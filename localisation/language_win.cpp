#include <windows.h>

#include "game/game_key.h"
#include "localisation/language.h"

int32_t GetLanguageIndex() {
  RegistryKey key;
  uint32_t value = 0xFFFFFFFFu;
  if (OpenGameKey(&key)) {
    DWORD number = 0;
    DWORD size = sizeof number;
    if (RegQueryValueExA(key.Handle(), "Language", nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size) ==
        ERROR_SUCCESS)
      value = number;
  } else {
    value = GetSystemDefaultLangID();
  }
  return LanguageIndexFromId(value);
}
