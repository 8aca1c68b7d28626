#include "worker/step_record.h"

#include <windows.h>

#include "game/game_key.h"
#include "platform/files/disk_flush.h"
#include "platform/files/file_helpers.h"

namespace {

// Windows 9x allows value names of at most 255 characters.
constexpr uint32_t kValueNameSize = 256;

bool ValueName(const char* version, char* name) { return FormatPath(name, kValueNameSize, "Update %s", version); }

}  // namespace

bool ReadStepRecord(const char* version, uint32_t* steps) {
  char name[kValueNameSize];
  RegistryKey gameKey;
  if (!ValueName(version, name) || !OpenGameKey(&gameKey, KEY_QUERY_VALUE)) return false;
  DWORD type = 0, value = 0, size = sizeof value;
  bool read = RegQueryValueExA(gameKey.Handle(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
              type == REG_DWORD && size == sizeof value;
  if (read) *steps = value;
  return read;
}

bool WriteStepRecord(const char* version, uint32_t steps, bool flushed) {
  char name[kValueNameSize];
  // RegFlushKey needs KEY_QUERY_VALUE on the handle.
  RegistryKey gameKey;
  if (!ValueName(version, name) || !OpenGameKey(&gameKey, flushed ? KEY_SET_VALUE | KEY_QUERY_VALUE : KEY_SET_VALUE))
    return false;
  HKEY key = gameKey.Handle();
  DWORD value = steps;
  bool written =
      RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS &&
      (!flushed || FlushKeyToDisk(key) == ERROR_SUCCESS);
  return written;
}

void RemoveStepRecord(const char* version) {
  char name[kValueNameSize];
  RegistryKey gameKey;
  if (ValueName(version, name) && OpenGameKey(&gameKey, KEY_SET_VALUE)) RegDeleteValueA(gameKey.Handle(), name);
}
