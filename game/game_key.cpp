#include "game/game_key.h"

bool OpenGameKey(RegistryKey* key, REGSAM access) {
  key->Assign(kGameKeyPath, "");
  return key->OpenWith(access);
}
